#pragma once

// Bytes as lower-case hexadecimal, the form the tests hand to python3.

#include <string>
#include <string_view>

namespace dropboxtest {

inline std::string hexOf(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        hex.push_back(kDigits[c >> 4]);
        hex.push_back(kDigits[c & 0xF]);
    }
    return hex;
}

}  // namespace dropboxtest
