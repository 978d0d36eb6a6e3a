#include "data/ScannedNumber.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Far beyond where any float turns to zero or infinity, however many digits are kept.
constexpr int64_t EXPONENT_LIMIT = 1000000000;

constexpr double POWERS_OF_TEN[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                      1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

constexpr float FLOAT_POWERS_OF_TEN[11] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

int64_t Clamp(int64_t v) { return v > EXPONENT_LIMIT ? EXPONENT_LIMIT : (v < -EXPONENT_LIMIT ? -EXPONENT_LIMIT : v); }

}  // namespace

void ScannedNumber::Reset() {
    negative = false;
    anyDigit = false;
    droppedNonZero = false;
    storedCount = 0;
    pointPosition = 0;
    leading = 0;
    anyExponentDigit = false;
    exponentNegative = false;
    exponent = 0;
}

void ScannedNumber::AddDigit(char c, bool beforePoint) {
    anyDigit = true;
    if (storedCount == 0 && c == '0') {
        if (!beforePoint) --pointPosition;
        return;
    }
    if (beforePoint) ++pointPosition;
    if (storedCount < MAX_STORED_DIGITS) {
        digits[storedCount++] = c;
        if (storedCount <= 19) leading = leading * 10 + static_cast<unsigned>(c - '0');
    } else if (c != '0') {
        droppedNonZero = true;
    }
}

void ScannedNumber::AddExponentDigit(char c) {
    anyExponentDigit = true;
    if (exponent < EXPONENT_LIMIT) exponent = exponent * 10 + (c - '0');
}

bool ScannedNumber::ToFloat(float* value) const {
    if (!anyDigit) return false;  // nothing but a sign or a point
    if (storedCount == 0) {
        *value = negative ? -0.0f : 0.0f;
        return true;
    }
    if (storedCount <= 19 &&
        FastFloat(leading, pointPosition - storedCount + (exponentNegative ? -exponent : exponent), negative, value))
        return true;
    return ToFloatSlow(value);
}

bool ScannedNumber::FastFloat(uint64_t mantissa, int64_t scale, bool negative, float* value) {
    // Up to 2^24 and 10^10 both are exact floats: one float operation rounds correctly.
    if (mantissa <= (uint64_t(1) << 24) && scale >= -10 && scale <= 10) {
        float f = static_cast<float>(mantissa);
        f = scale >= 0 ? f * FLOAT_POWERS_OF_TEN[scale] : f / FLOAT_POWERS_OF_TEN[-scale];
        *value = negative ? -f : f;
        return true;
    }
    // One correctly rounded double operation on exact operands, then one
    // rounding to float. The second rounding can only differ from a direct
    // one when the double lies exactly halfway between two floats.
    if (mantissa > (uint64_t(1) << 53) || scale < -22 || scale > 22) return false;
    double d = static_cast<double>(mantissa);
    d = scale >= 0 ? d * POWERS_OF_TEN[scale] : d / POWERS_OF_TEN[-scale];
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    int binaryExponent = static_cast<int>((bits >> 52) & 0x7FF) - 1023;
    if (binaryExponent < -126 || binaryExponent > 126 || (bits & 0x1FFFFFFF) == 0x10000000) return false;
    float f = static_cast<float>(d);
    *value = negative ? -f : f;
    return true;
}

bool ScannedNumber::ToFloatSlow(float* value) const {
    // 0.<digits>[1]e<exponent>: the same value as the full text, in a bounded length.
    char text[MAX_STORED_DIGITS + 40];
    int n = 0;
    if (negative) text[n++] = '-';
    text[n++] = '0';
    text[n++] = '0';
    text[n++] = '.';
    std::memcpy(text + n, digits, storedCount);
    n += storedCount;
    if (droppedNonZero) text[n++] = '1';
    int64_t scale = exponentNegative ? -exponent : exponent;
    scale = Clamp(Clamp(scale) + Clamp(pointPosition));
    n += std::snprintf(text + n, sizeof text - n, "e%lld", static_cast<long long>(scale));
    *value = std::strtof(text, nullptr);
    return true;
}

bool ScannedNumber::ToInt(int* value) const {
    if (!anyDigit) return false;
    // strtol saturates at the long range; the store then keeps the low 32 bits.
    uint64_t magnitude = leading;
    bool saturated = storedCount > 19 || (storedCount == 19 && leading > (negative ? uint64_t(1) << 63 : uint64_t(LONG_MAX)));
    int64_t result;
    if (saturated) result = negative ? LONG_MIN : LONG_MAX;
    else result = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    *value = static_cast<int>(static_cast<uint32_t>(result));
    return true;
}
