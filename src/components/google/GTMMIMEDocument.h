#pragma once

// Multipart bodies: parts of headers and bytes, joined under a boundary
// that occurs in none of them.

#include "components/google/GTMInputStreams.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace google {

class GTMMIMEPart {
public:
    // Headers are written sorted by name without regard to case.
    static std::shared_ptr<GTMMIMEPart> partWithHeaders(const std::map<std::string, std::string>& headers,
                                                        foundation::Bytes body);

    const foundation::Bytes& header() const { return header_; }
    const foundation::Bytes& body() const { return body_; }
    uint64_t length() const { return header_.size() + body_.size(); }
    // Whether `bytes` occur in the header block or in the body.
    bool containsBytes(const uint8_t* bytes, size_t length) const;

private:
    GTMMIMEPart(foundation::Bytes header, foundation::Bytes body)
        : header_(std::move(header)), body_(std::move(body)) {}
    foundation::Bytes header_;
    foundation::Bytes body_;
};

class GTMMIMEDocument {
public:
    static std::shared_ptr<GTMMIMEDocument> MIMEDocument() { return std::make_shared<GTMMIMEDocument>(); }

    void addPartWithHeaders(const std::map<std::string, std::string>& headers, foundation::Bytes body);
    // A non-zero seed makes the boundary numbers repeatable: the seed, then
    // one more each time. 0 returns to the system's random numbers.
    void seedRandomWith(uint32_t seed) { randomSeed_ = seed; }

    // The body, its length and its boundary; each only where asked for.
    void generateInputStream(std::shared_ptr<GTMGatherInputStream>* stream, uint64_t* length, std::string* boundary);

private:
    uint32_t random();
    std::string uniqueBoundary();

    std::vector<std::shared_ptr<GTMMIMEPart>> parts_;
    uint32_t randomSeed_ = 0;
};

}  // namespace google
