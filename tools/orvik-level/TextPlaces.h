// Turns byte offsets in a text file into lines and tokens, for reports.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/orvik-level/Findings.h"

class TextPlaces {
public:
    TextPlaces(std::string file, std::string text);

    // The token that starts at offset, or the first one after it when white
    // space stands there; at the end of the text, the end of the file.
    Place TokenAt(uint64_t offset) const;
    // Where the token n tokens after the one at offset starts (n = 0: that
    // token itself); the end of the text when there are fewer.
    uint64_t TokenAfter(uint64_t offset, int n) const;
    const std::string& Text() const { return text_; }
    const std::string& File() const { return file_; }

private:
    std::string file_;
    std::string text_;
    std::vector<uint64_t> lineStarts_;
};

// The C locale's white space, as the formatted reads skip it.
inline bool IsTextSpace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
