#pragma once
// Abort ends the current user action silently: the message has already been
// shown (MensErro, CheckResultServ). Every entry point from Qt swallows it.

#include <exception>

class Abort : public std::exception {
public:
    const char* what() const noexcept override { return "Abort"; }
};
