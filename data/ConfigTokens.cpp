#include "data/ConfigTokens.h"

#include <cctype>

#include "data/StreamNumbers.h"

bool ConfigTokens::Skip() {
    char word[128];
    return Word(word);
}

bool ConfigTokens::Word(char (&word)[128]) {
    if (std::fscanf(file_, "%127s", word) != 1) return false;
    int next = std::fgetc(file_);
    while (next != EOF && !std::isspace(next)) next = std::fgetc(file_);
    if (next != EOF) std::ungetc(next, file_);
    return true;
}

bool ConfigTokens::Integer(int* value) { return ReadStreamInt(file_, value) == 1; }

bool ConfigTokens::Real(float* value) { return ReadStreamFloat(file_, value) == 1; }
