// The characters of one decimal number, kept in a bounded form that converts
// to exactly what strtof/strtol give for the full text: leading zeros are counted rather than stored, digits past the stored
// limit only count (integer part) and mark the rest as non-zero, and the
// exponent saturates far beyond any float's range.
#pragma once

#include <cstdint>

class ScannedNumber {
public:
    static constexpr int MAX_STORED_DIGITS = 768;

    void Reset();
    void SetNegative() { negative = true; }
    // A mantissa digit.
    void AddDigit(char c, bool beforePoint);
    // An exponent digit.
    void AddExponentDigit(char c);
    void SetExponentNegative() { exponentNegative = true; }

    // What strtof gives for the text; false when it would convert nothing.
    bool ToFloat(float* value) const;
    // mantissa x 10^scale correctly rounded to float, when one double
    // operation does it exactly (mantissa below 2^53, |scale| <= 22, a normal
    // float not halfway between two); false otherwise.
    static bool FastFloat(uint64_t mantissa, int64_t scale, bool negative, float* value);
    // What strtol gives for the text, narrowed to int as "%d" stores it.
    bool ToInt(int* value) const;

    bool negative;
    bool anyDigit;          // a mantissa digit, leading zeros included
    bool droppedNonZero;    // a non-zero digit beyond the stored ones
    int storedCount;
    int64_t pointPosition;  // value = 0.<digits> x 10^(pointPosition + exponent)
    uint64_t leading;       // the first up to 19 significant digits as a number
    bool anyExponentDigit;
    bool exponentNegative;
    int64_t exponent;       // saturated
    char digits[MAX_STORED_DIGITS];

private:
    bool ToFloatSlow(float* value) const;
};
