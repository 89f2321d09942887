#include "components/jsonkit/JKDoubleText.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace jsonkit {

namespace {

using Wide = unsigned __int128;

constexpr int kDigits = 17;
constexpr uint64_t kLowest17 = 10000000000000000ULL;  // 10^16, the smallest 17-digit number

constexpr int kLargestPower = 22;  // 10^22 × 2^53 still fits in 128 bits

constexpr auto kPowers = [] {
    std::array<Wide, kLargestPower + 1> powers{};
    powers[0] = 1;
    for (size_t n = 1; n < powers.size(); ++n) powers[n] = powers[n - 1] * 10;
    return powers;
}();

// "00" to "99".
constexpr auto kPairs = [] {
    std::array<char, 200> pairs{};
    for (int n = 0; n < 100; ++n) {
        pairs[2 * n] = static_cast<char>('0' + n / 10);
        pairs[2 * n + 1] = static_cast<char>('0' + n % 10);
    }
    return pairs;
}();

// value × 10^p rounded to an integer, half to even, for value = m × 2^e;
// none (returned as 0) when the exact product does not fit the arithmetic.
uint64_t scaled(uint64_t m, int e, int p) {
    if (p >= 0) {
        if (p > kLargestPower) return 0;
        const Wide product = m * kPowers[static_cast<size_t>(p)];
        if (e >= 0) return e > 12 ? 0 : static_cast<uint64_t>(product << e);  // exact, below 10^17 × 2^12
        const int shift = -e;
        if (shift >= 128) return 0;
        const Wide quotient = product >> shift;
        const Wide remainder = product - (quotient << shift);
        const Wide half = Wide{1} << (shift - 1);
        const bool up = remainder > half || (remainder == half && (quotient & 1));
        return static_cast<uint64_t>(quotient + up);
    }
    if (-p > kLargestPower || e > 74) return 0;
    const Wide whole = Wide{m} << e;
    const Wide divisor = kPowers[static_cast<size_t>(-p)];
    const Wide quotient = whole / divisor;
    const Wide remainder = whole - quotient * divisor;
    const Wide half = divisor / 2;
    const bool up = remainder > half || (remainder == half && (quotient & 1));
    return static_cast<uint64_t>(quotient + up);
}

// Drops the trailing zeros of the digits from `first` to `last`; returns the new end.
char* trimZeros(char* first, char* last) {
    while (last > first && last[-1] == '0') --last;
    return last;
}

}  // namespace

char* jkWriteDouble(char* out, double value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const bool negative = bits >> 63;
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    if (biased == 0 || biased == 0x7FF)  // zero, subnormal or not finite
        return std::to_chars(out, out + kJKDoubleTextBytes, value, std::chars_format::general, kDigits).ptr;
    const uint64_t m = fraction | (uint64_t{1} << 52);
    const int e = biased - 1075;
    // The decimal exponent k, with 10^k ≤ |value| < 10^(k+1): first a guess
    // from the binary exponent, then set right by the 17 digits it gives.
    int k = static_cast<int>(((e + 52) * 78913LL) >> 18);  // floor((e + 52) × log10 2)
    uint64_t digits = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        digits = scaled(m, e, kDigits - 1 - k);
        if (digits == 0) break;
        if (digits >= 10 * kLowest17) {
            ++k;
        } else if (digits < kLowest17) {
            --k;
        } else {
            break;
        }
    }
    if (digits < kLowest17 || digits >= 10 * kLowest17)
        return std::to_chars(out, out + kJKDoubleTextBytes, value, std::chars_format::general, kDigits).ptr;

    char text[kDigits + 1];  // the 17 digits, two at a time from the end
    for (int i = kDigits - 1; i > 0; i -= 2, digits /= 100) std::memcpy(text + i - 1, &kPairs[2 * (digits % 100)], 2);
    text[0] = static_cast<char>('0' + digits);
    char* at = out;
    if (negative) *at++ = '-';
    if (k < -4 || k >= kDigits) {  // d.ddde±XX
        *at++ = text[0];
        char* fractionStart = at + 1;
        std::memcpy(fractionStart, text + 1, kDigits - 1);
        char* fractionEnd = trimZeros(fractionStart, fractionStart + kDigits - 1);
        if (fractionEnd > fractionStart) {
            *at = '.';
            at = fractionEnd;
        }
        *at++ = 'e';
        *at++ = k < 0 ? '-' : '+';
        const int exponent = k < 0 ? -k : k;
        if (exponent >= 100) *at++ = static_cast<char>('0' + exponent / 100);
        *at++ = static_cast<char>('0' + exponent / 10 % 10);
        *at++ = static_cast<char>('0' + exponent % 10);
        return at;
    }
    if (k >= 0) {  // ddd.ddd
        std::memcpy(at, text, static_cast<size_t>(k) + 1);
        at += k + 1;
        char* fractionStart = at + 1;
        std::memcpy(fractionStart, text + k + 1, static_cast<size_t>(kDigits - 1 - k));
        char* fractionEnd = trimZeros(fractionStart, fractionStart + (kDigits - 1 - k));
        if (fractionEnd > fractionStart) {
            *at = '.';
            at = fractionEnd;
        }
        return at;
    }
    *at++ = '0';  // 0.000ddd
    *at++ = '.';
    for (int i = -1; i > k; --i) *at++ = '0';
    std::memcpy(at, text, kDigits);
    return trimZeros(at, at + kDigits);
}

}  // namespace jsonkit
