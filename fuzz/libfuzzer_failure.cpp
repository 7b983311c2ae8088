// fuzzFailure for the libFuzzer build (replay_main.cpp has its own).
#include "fuzz_target.h"

#include <cstdio>
#include <cstdlib>

void fuzzFailure(const char* what)
{
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
}
