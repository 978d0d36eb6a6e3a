#include "tools/orvik-level/TextPlaces.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr size_t MAX_SHOWN = 40;

// Shows a token readably: control and non-ASCII bytes as \xNN, long tokens cut.
std::string Printable(const std::string& token) {
    std::string out;
    for (size_t i = 0; i < token.size() && i < MAX_SHOWN; ++i) {
        unsigned char c = static_cast<unsigned char>(token[i]);
        if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    if (token.size() > MAX_SHOWN) out += "...";
    return out;
}

}  // namespace

TextPlaces::TextPlaces(std::string file, std::string text) : file_(std::move(file)), text_(std::move(text)) {
    lineStarts_.push_back(0);
    for (size_t i = 0; i < text_.size(); ++i)
        if (text_[i] == '\n') lineStarts_.push_back(i + 1);
}

Place TextPlaces::TokenAt(uint64_t offset) const {
    Place place;
    place.file = file_;
    size_t at = static_cast<size_t>(std::min<uint64_t>(offset, text_.size()));
    while (at < text_.size() && IsTextSpace(static_cast<unsigned char>(text_[at]))) ++at;
    size_t line = static_cast<size_t>(std::upper_bound(lineStarts_.begin(), lineStarts_.end(), at) - lineStarts_.begin());
    place.line = static_cast<int>(line);
    if (at >= text_.size()) {
        place.text = "end of file";
        return place;
    }
    // The token may have begun before offset (a read that stopped inside it).
    size_t start = at;
    size_t lineStart = lineStarts_[line - 1];
    while (start > lineStart && !IsTextSpace(static_cast<unsigned char>(text_[start - 1]))) --start;
    int token = 0;
    bool inToken = false;
    for (size_t i = lineStart; i <= start; ++i) {
        bool space = i < start ? IsTextSpace(static_cast<unsigned char>(text_[i])) : false;
        if (!space && !inToken) ++token;
        inToken = !space;
    }
    place.token = token;
    size_t end = start;
    while (end < text_.size() && !IsTextSpace(static_cast<unsigned char>(text_[end]))) ++end;
    place.text = Printable(text_.substr(start, end - start));
    return place;
}

uint64_t TextPlaces::TokenAfter(uint64_t offset, int n) const {
    size_t at = static_cast<size_t>(std::min<uint64_t>(offset, text_.size()));
    for (int k = 0;; ++k) {
        while (at < text_.size() && IsTextSpace(static_cast<unsigned char>(text_[at]))) ++at;
        if (k == n || at >= text_.size()) return at;
        while (at < text_.size() && !IsTextSpace(static_cast<unsigned char>(text_[at]))) ++at;
    }
}
