// The numbers of the text files: an optional sign, decimal digits with an
// optional fraction after a full stop (".5" and "5." count, a lone point does
// not), and an optional exponent: "e" or "E", an optional sign, digits. There
// is no hexadecimal, no "inf" and no "nan".
//
// A read takes the longest text that is such a number. An "e" that no digit
// follows is not taken, nor the sign after it. A read that finds no digit has
// taken the sign and the point it passed; the character that did not fit stays.
//
// A source gives Get() (a character, or EOF), Unget(c) (puts back the last
// character got, nothing for EOF), Mark() called right after an "e" was got,
// and Restore(mark, count, e), which puts back the "e" and the count
// characters got after it.
#pragma once

#include <cstdio>

#include "data/ScannedNumber.h"

inline bool IsDecimalDigit(int c) { return c >= '0' && c <= '9'; }

// 1 when a number was read into value, 0 when the text is no number, EOF when
// the source ended before its first character.
template <class Source>
int ScanDecimalFloat(Source& in, ScannedNumber& n, float* value) {
    int c = in.Get();
    if (c == EOF) return EOF;
    n.Reset();
    if (c == '-' || c == '+') {
        if (c == '-') n.SetNegative();
        c = in.Get();
    }
    bool point = false;
    for (;; c = in.Get()) {
        if (IsDecimalDigit(c)) n.AddDigit(static_cast<char>(c), !point);
        else if (c == '.' && !point) point = true;
        else break;
    }
    if (!n.anyDigit) {
        in.Unget(c);
        return 0;
    }
    if (c == 'e' || c == 'E') {
        const int e = c;
        auto mark = in.Mark();
        int count = 0;
        bool negativeExponent = false;
        c = in.Get();
        if (c == '-' || c == '+') {
            negativeExponent = c == '-';
            ++count;
            c = in.Get();
        }
        if (!IsDecimalDigit(c)) {
            if (c != EOF) ++count;
            in.Restore(mark, count, e);
            return n.ToFloat(value) ? 1 : 0;
        }
        if (negativeExponent) n.SetExponentNegative();
        while (IsDecimalDigit(c)) {
            n.AddExponentDigit(static_cast<char>(c));
            c = in.Get();
        }
    }
    in.Unget(c);
    return n.ToFloat(value) ? 1 : 0;
}

// "[sign]digits", as ScanDecimalFloat reports.
template <class Source>
int ScanDecimalInt(Source& in, ScannedNumber& n, int* value) {
    int c = in.Get();
    if (c == EOF) return EOF;
    n.Reset();
    if (c == '-' || c == '+') {
        if (c == '-') n.SetNegative();
        c = in.Get();
    }
    while (IsDecimalDigit(c)) {
        n.AddDigit(static_cast<char>(c), true);
        c = in.Get();
    }
    in.Unget(c);
    return n.ToInt(value) ? 1 : 0;
}
