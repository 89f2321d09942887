#include "components/google/GTMMIMEDocument.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace google {

namespace {

bool lessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

foundation::Bytes bytesOf(std::string_view text) { return foundation::Bytes(text.begin(), text.end()); }

bool contains(const foundation::Bytes& haystack, const uint8_t* needle, size_t length) {
    if (length == 0) return false;
    return std::search(haystack.begin(), haystack.end(), needle, needle + length) != haystack.end();
}

std::string hex8(uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

}  // namespace

std::shared_ptr<GTMMIMEPart> GTMMIMEPart::partWithHeaders(const std::map<std::string, std::string>& headers,
                                                          foundation::Bytes body) {
    std::vector<std::string> names;
    for (const auto& [name, value] : headers) names.push_back(name);
    std::stable_sort(names.begin(), names.end(), lessIgnoringCase);
    std::string block;
    for (const std::string& name : names) block += name + ": " + headers.at(name) + "\r\n";
    block += "\r\n";
    return std::shared_ptr<GTMMIMEPart>(new GTMMIMEPart(bytesOf(block), std::move(body)));
}

bool GTMMIMEPart::containsBytes(const uint8_t* bytes, size_t length) const {
    return contains(header_, bytes, length) || contains(body_, bytes, length);
}

void GTMMIMEDocument::addPartWithHeaders(const std::map<std::string, std::string>& headers, foundation::Bytes body) {
    parts_.push_back(GTMMIMEPart::partWithHeaders(headers, std::move(body)));
}

uint32_t GTMMIMEDocument::random() {
    if (randomSeed_ == 0) {
        static std::random_device device;
        return device();
    }
    return randomSeed_++;
}

std::string GTMMIMEDocument::uniqueBoundary() {
    std::string candidate = "END_OF_PART";
    for (int tries = 0; tries < 10; ++tries) {
        if (tries > 0) candidate = "END_OF_PART_" + hex8(random());
        const foundation::Bytes bytes = bytesOf(candidate);
        bool collides = std::any_of(parts_.begin(), parts_.end(),
                                    [&](const auto& part) { return part->containsBytes(bytes.data(), bytes.size()); });
        if (!collides) return candidate;
    }
    std::string first = hex8(random());
    return first + "_Fenwold_" + hex8(random());
}

void GTMMIMEDocument::generateInputStream(std::shared_ptr<GTMGatherInputStream>* stream, uint64_t* length,
                                          std::string* boundary) {
    const std::string chosen = uniqueBoundary();
    const foundation::Bytes separator = bytesOf("\r\n--" + chosen + "\r\n");
    const foundation::Bytes closing = bytesOf("\r\n--" + chosen + "--\r\n");
    std::vector<foundation::Bytes> blocks;
    uint64_t total = 0;
    for (const auto& part : parts_) {
        blocks.push_back(separator);
        blocks.push_back(part->header());
        blocks.push_back(part->body());
        total += separator.size() + part->length();
    }
    blocks.push_back(closing);
    total += closing.size();
    if (stream) *stream = GTMGatherInputStream::streamWithArray(std::move(blocks));
    if (length) *length = total;
    if (boundary) *boundary = chosen;
}

}  // namespace google
