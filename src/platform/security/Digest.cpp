#include "platform/security/Digest.h"

#include <memory>
#include <openssl/evp.h>
#include <stdexcept>

namespace security {

namespace {

struct ContextDeleter {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

}  // namespace

MD5Digest md5(const uint8_t* data, size_t length) {
    std::unique_ptr<EVP_MD_CTX, ContextDeleter> context(EVP_MD_CTX_new());
    MD5Digest digest{};
    unsigned int written = 0;
    // Fails only when OpenSSL cannot allocate or has MD5 switched off (a
    // FIPS-only configuration); there is no digest to hand back then.
    if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1 ||
        EVP_DigestUpdate(context.get(), length ? data : nullptr, length) != 1 ||
        EVP_DigestFinal_ex(context.get(), digest.data(), &written) != 1 || written != digest.size())
        throw std::runtime_error("MD5 digest unavailable from OpenSSL");
    return digest;
}

MD5Digest md5(std::string_view text) { return md5(reinterpret_cast<const uint8_t*>(text.data()), text.size()); }

std::string hexString(const MD5Digest& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(digest.size() * 2);
    for (uint8_t byte : digest) {
        hex.push_back(kDigits[byte >> 4]);
        hex.push_back(kDigits[byte & 0xF]);
    }
    return hex;
}

std::string md5HexString(std::string_view text) { return hexString(md5(text)); }

}  // namespace security
