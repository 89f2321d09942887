#pragma once

// Base64 (RFC 4648 alphabet, "=" padding) into caller-given buffers.
//
// Encoding breaks lines after every 72 characters with CR LF, so output whose
// length is a multiple of 72 ends with a line break. Decoding is lenient:
// whitespace and every character outside the alphabet are skipped, and it
// stops at the first "=". Only a too-small output buffer fails.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// `outputLength` gives the buffer's capacity and receives the bytes written.
bool base64EncodeBytes(const uint8_t* input, size_t inputLength, char* output, size_t* outputLength);
bool base64DecodeBytes(const char* input, size_t inputLength, uint8_t* output, size_t* outputLength);
// The capacity a caller gives to base64DecodeBytes for `inputLength` characters.
int64_t base64DecodedSizeEstimate(size_t inputLength);

// Conveniences over the two: the whole encoded text, and the decoded bytes.
std::string base64EncodedString(const uint8_t* input, size_t inputLength);
std::string base64DecodedString(std::string_view text);
