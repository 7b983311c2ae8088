#pragma once
// Each fuzz target defines these two functions. libFuzzer calls them in the
// fuzz build; replay_main.cpp calls them over saved inputs in every build.

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// A broken invariant: abort, so that the fuzzer keeps the input.
[[noreturn]] void fuzzFailure(const char* what);
