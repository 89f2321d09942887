#include "platform/security/Digest.h"

#include <memory>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>
#include <stdexcept>

namespace security {

namespace {

struct ContextDeleter {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

template <size_t N>
std::array<uint8_t, N> evpDigest(const EVP_MD* algorithm, const char* name, const uint8_t* data, size_t length) {
    std::unique_ptr<EVP_MD_CTX, ContextDeleter> context(EVP_MD_CTX_new());
    std::array<uint8_t, N> digest{};
    unsigned int written = 0;
    // Fails only when OpenSSL cannot allocate or has the algorithm switched
    // off (a FIPS-only configuration); there is no digest to hand back then.
    if (!context || !algorithm || EVP_DigestInit_ex(context.get(), algorithm, nullptr) != 1 ||
        EVP_DigestUpdate(context.get(), length ? data : nullptr, length) != 1 ||
        EVP_DigestFinal_ex(context.get(), digest.data(), &written) != 1 || written != digest.size())
        throw std::runtime_error(std::string(name) + " digest unavailable from OpenSSL");
    return digest;
}

template <size_t N>
std::string hexDigits(const std::array<uint8_t, N>& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(digest.size() * 2);
    for (uint8_t byte : digest) {
        hex.push_back(kDigits[byte >> 4]);
        hex.push_back(kDigits[byte & 0xF]);
    }
    return hex;
}

}  // namespace

MD5Digest md5(const uint8_t* data, size_t length) { return evpDigest<16>(EVP_md5(), "MD5", data, length); }

SHA1Digest sha1(const uint8_t* data, size_t length) { return evpDigest<20>(EVP_sha1(), "SHA-1", data, length); }

SHA1Digest sha1(std::string_view text) { return sha1(reinterpret_cast<const uint8_t*>(text.data()), text.size()); }

SHA1Digest hmacSHA1(std::string_view key, std::string_view text) {
    SHA1Digest digest{};
    unsigned int written = 0;
    static const uint8_t kEmpty = 0;
    const auto* keyBytes = key.empty() ? &kEmpty : reinterpret_cast<const uint8_t*>(key.data());
    const auto* textBytes = text.empty() ? &kEmpty : reinterpret_cast<const uint8_t*>(text.data());
    if (!HMAC(EVP_sha1(), keyBytes, static_cast<int>(key.size()), textBytes, text.size(), digest.data(), &written) ||
        written != digest.size())
        throw std::runtime_error("HMAC-SHA1 unavailable from OpenSSL");
    return digest;
}

MD5Digest md5(std::string_view text) { return md5(reinterpret_cast<const uint8_t*>(text.data()), text.size()); }

std::string hexString(const MD5Digest& digest) { return hexDigits(digest); }
std::string hexString(const SHA1Digest& digest) { return hexDigits(digest); }

std::string md5HexString(std::string_view text) { return hexString(md5(text)); }

SHA256Digest sha256(std::string_view text) {
    return evpDigest<32>(EVP_sha256(), "SHA-256", reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

std::string randomBytes(size_t count) {
    std::string bytes(count, '\0');
    if (count > 0 && RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), static_cast<int>(count)) != 1)
        throw std::runtime_error("no random bytes from OpenSSL");
    return bytes;
}

}  // namespace security
