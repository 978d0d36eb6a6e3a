// Formatted reads of the configuration file, one conversion at a time. Words
// are cut to 127 characters and the rest of a longer word is discarded, so
// later settings keep their places.
#pragma once

#include <cstdio>

class ConfigTokens {
public:
    explicit ConfigTokens(std::FILE* file) : file_(file) {}

    bool Skip();
    bool Word(char (&word)[128]);
    bool Integer(int* value);
    bool Real(float* value);

private:
    std::FILE* file_;
};
