#pragma once

// Message digests through OpenSSL's EVP interface.
//
//     std::string name = security::md5HexString(address);  // 32 lower-case hex digits

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace security {

using MD5Digest = std::array<uint8_t, 16>;
using SHA1Digest = std::array<uint8_t, 20>;

// The MD5 digest of `length` bytes at `data` (null is allowed when length is 0).
// MD5 is no protection against a forger; it names things, such as cache files.
MD5Digest md5(const uint8_t* data, size_t length);
MD5Digest md5(std::string_view text);

// The SHA-1 digest. Like MD5 it only names and checks things; where a secret
// is involved it is always keyed (hmacSHA1).
SHA1Digest sha1(const uint8_t* data, size_t length);
SHA1Digest sha1(std::string_view text);

// HMAC-SHA1 (RFC 2104) of `text` under `key`.
SHA1Digest hmacSHA1(std::string_view key, std::string_view text);

// The digest as lower-case hexadecimal digits (two per byte).
std::string hexString(const MD5Digest& digest);
std::string hexString(const SHA1Digest& digest);
std::string md5HexString(std::string_view text);

using SHA256Digest = std::array<uint8_t, 32>;

// The SHA-256 digest of `text`'s bytes.
SHA256Digest sha256(std::string_view text);

// `count` bytes from the operating system's cryptographic random source;
// throws std::runtime_error when it has none to give.
std::string randomBytes(size_t count);

}  // namespace security
