#include "platform/security/Digest.h"

#include <algorithm>
#include <memory>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <stdexcept>

namespace security {

namespace {

struct ContextDeleter {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
struct MDDeleter {
    void operator()(EVP_MD* algorithm) const { EVP_MD_free(algorithm); }
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
    // RFC 2104 over SHA-1 directly: OpenSSL 3's one-shot HMAC() looks the
    // algorithm up on every call, which costs more than the hashing of a
    // short signature base string. The digest and context are kept per thread.
    constexpr size_t kBlock = 64;
    thread_local std::unique_ptr<EVP_MD, MDDeleter> algorithm(EVP_MD_fetch(nullptr, "SHA1", nullptr));
    thread_local std::unique_ptr<EVP_MD_CTX, ContextDeleter> context(EVP_MD_CTX_new());
    if (!algorithm || !context) throw std::runtime_error("HMAC-SHA1 unavailable from OpenSSL");
    std::array<uint8_t, kBlock> block{};
    if (key.size() > kBlock) {
        SHA1Digest hashed = sha1(key);
        std::copy(hashed.begin(), hashed.end(), block.begin());
    } else {
        std::copy(key.begin(), key.end(), block.begin());
    }
    auto pass = [&](uint8_t pad, const uint8_t* data, size_t length) {
        std::array<uint8_t, kBlock> padded;
        for (size_t i = 0; i < kBlock; ++i) padded[i] = block[i] ^ pad;
        SHA1Digest digest{};
        unsigned int written = 0;
        if (EVP_DigestInit_ex(context.get(), algorithm.get(), nullptr) != 1 ||
            EVP_DigestUpdate(context.get(), padded.data(), padded.size()) != 1 ||
            EVP_DigestUpdate(context.get(), length ? data : nullptr, length) != 1 ||
            EVP_DigestFinal_ex(context.get(), digest.data(), &written) != 1 || written != digest.size())
            throw std::runtime_error("HMAC-SHA1 unavailable from OpenSSL");
        return digest;
    };
    SHA1Digest inner = pass(0x36, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    return pass(0x5c, inner.data(), inner.size());
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
