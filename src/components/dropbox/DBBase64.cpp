#include "components/dropbox/DBBase64.h"

#include <array>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t kLineLength = 72;

constexpr std::array<int8_t, 256> decodingTable() {
    std::array<int8_t, 256> table{};
    for (auto& entry : table) entry = -1;
    for (int i = 0; i < 64; ++i) table[static_cast<uint8_t>(kAlphabet[i])] = static_cast<int8_t>(i);
    return table;
}

constexpr std::array<int8_t, 256> kDecoding = decodingTable();

size_t encodedLength(size_t inputLength) {
    size_t characters = 4 * ((inputLength + 2) / 3);
    return characters + 2 * (characters / kLineLength);
}

}  // namespace

bool base64EncodeBytes(const uint8_t* input, size_t inputLength, char* output, size_t* outputLength) {
    if (!outputLength) return false;
    const size_t needed = encodedLength(inputLength);
    if (*outputLength < needed) return false;
    *outputLength = needed;
    size_t at = 0;
    for (size_t i = 0; i < inputLength; i += 3) {
        const size_t left = inputLength - i;
        const uint32_t group = (uint32_t(input[i]) << 16) | (left > 1 ? uint32_t(input[i + 1]) << 8 : 0) |
                               (left > 2 ? uint32_t(input[i + 2]) : 0);
        output[at++] = kAlphabet[(group >> 18) & 63];
        output[at++] = kAlphabet[(group >> 12) & 63];
        output[at++] = left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
        output[at++] = left > 2 ? kAlphabet[group & 63] : '=';
        if (at % (kLineLength + 2) == kLineLength) {
            output[at++] = '\r';
            output[at++] = '\n';
        }
    }
    return true;
}

bool base64DecodeBytes(const char* input, size_t inputLength, uint8_t* output, size_t* outputLength) {
    if (!outputLength) return false;
    if (*outputLength < static_cast<size_t>(base64DecodedSizeEstimate(inputLength))) return false;
    size_t written = 0;
    uint32_t group = 0;
    int characters = 0;
    for (size_t i = 0; i < inputLength && input[i] != '='; ++i) {
        const int8_t value = kDecoding[static_cast<uint8_t>(input[i])];
        if (value < 0) continue;  // whitespace and foreign characters
        group = (group << 6) | uint32_t(value);
        if (++characters == 4) {
            output[written++] = uint8_t(group >> 16);
            output[written++] = uint8_t(group >> 8);
            output[written++] = uint8_t(group);
            group = 0;
            characters = 0;
        }
    }
    // A partial group: 2 characters complete one byte, 3 complete two.
    if (characters >= 2) {
        group <<= 6 * (4 - characters);
        output[written++] = uint8_t(group >> 16);
        if (characters == 3) output[written++] = uint8_t(group >> 8);
    }
    *outputLength = written;
    return true;
}

int64_t base64DecodedSizeEstimate(size_t inputLength) { return 3 * static_cast<int64_t>((inputLength + 3) / 4); }

std::string base64EncodedString(const uint8_t* input, size_t inputLength) {
    std::string text(encodedLength(inputLength), '\0');
    size_t length = text.size();
    base64EncodeBytes(input, inputLength, text.data(), &length);
    text.resize(length);
    return text;
}

std::string base64DecodedString(std::string_view text) {
    std::string bytes(static_cast<size_t>(base64DecodedSizeEstimate(text.size())), '\0');
    size_t length = bytes.size();
    base64DecodeBytes(text.data(), text.size(), reinterpret_cast<uint8_t*>(bytes.data()), &length);
    bytes.resize(length);
    return bytes;
}
