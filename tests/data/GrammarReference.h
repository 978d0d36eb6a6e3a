// The text files' number grammar read the plain way, from a whole string: the
// reference the level file reader is checked against. A float is "[+-]", then
// digits with an optional "." and digits (at least one digit in all), then
// "e"/"E", an optional sign and digits only when a digit is there; its value is
// strtof's of exactly that text. A read that finds no digit takes the sign and
// the point. An integer is "[+-]digits", stored as strtol's value narrowed to int.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

class GrammarReference {
public:
    explicit GrammarReference(std::string text) : text_(std::move(text)) {}

    int ReadFloat(float* value) {
        SkipSpace();
        if (pos_ == text_.size()) return EOF;
        size_t p = pos_;
        if (At(p) == '+' || At(p) == '-') ++p;
        size_t end = Digits(p);
        bool digits = end > p;
        if (At(end) == '.') {
            size_t fraction = Digits(end + 1);
            digits = digits || fraction > end + 1;
            end = fraction;
        }
        if (!digits) {
            pos_ = end;
            return 0;
        }
        if (At(end) == 'e' || At(end) == 'E') {
            size_t q = end + 1;
            if (At(q) == '+' || At(q) == '-') ++q;
            if (Digits(q) > q) end = Digits(q);
        }
        *value = std::strtof(text_.substr(pos_, end - pos_).c_str(), nullptr);
        pos_ = end;
        return 1;
    }

    int ReadInt(int* value) {
        SkipSpace();
        if (pos_ == text_.size()) return EOF;
        size_t p = pos_;
        if (At(p) == '+' || At(p) == '-') ++p;
        size_t end = Digits(p);
        if (end == p) {
            pos_ = p;
            return 0;
        }
        *value = static_cast<int>(static_cast<unsigned>(std::strtol(text_.substr(pos_, end - pos_).c_str(), nullptr, 10)));
        pos_ = end;
        return 1;
    }

    // "%<width>s".
    int ReadWord(char* word, int width) {
        SkipSpace();
        if (pos_ == text_.size()) return EOF;
        int k = 0;
        while (k < width && pos_ < text_.size() && !IsSpace(At(pos_))) word[k++] = text_[pos_++];
        word[k] = 0;
        return 1;
    }

    std::string Rest() const { return text_.substr(pos_); }

private:
    static bool IsSpace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
    int At(size_t p) const { return p < text_.size() ? static_cast<unsigned char>(text_[p]) : EOF; }
    size_t Digits(size_t p) const {
        while (At(p) >= '0' && At(p) <= '9') ++p;
        return p;
    }
    void SkipSpace() {
        while (pos_ < text_.size() && IsSpace(At(pos_))) ++pos_;
    }

    std::string text_;
    size_t pos_ = 0;
};
