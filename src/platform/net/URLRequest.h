#pragma once

// One HTTP request: where, how, what to send and how long to wait.

#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Value.h"
#include "platform/net/HTTPHeaders.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace net {

// A request body read from part of a file while it is sent, so a large
// upload never has to be in memory. The file at `path` is opened afresh for
// every attempt (and every redirect that keeps the body), unless the body
// comes with a file already open.
struct URLRequestBodyFile {
    std::string path;
    uint64_t offset = 0;
    uint64_t length = 0;
    // When set, the body is read from this open file (its position left
    // alone) and `path` only names it: a resumable upload sends every chunk
    // of its file this way instead of opening it by name each time.
    std::shared_ptr<const foundation::FileDescriptor> descriptor = nullptr;

    bool operator==(const URLRequestBodyFile&) const = default;
};

// A user name and password that the transport answers a Digest
// authentication challenge with.
struct URLCredential {
    std::string user;
    std::string password;

    bool operator==(const URLCredential&) const = default;
};

struct URLRequest {
    // The platform's default: a minute without any progress gives up.
    static constexpr double kDefaultTimeoutInterval = 60.0;

    URLRequest() = default;
    explicit URLRequest(std::string url, double timeoutInterval = kDefaultTimeoutInterval)
        : url(std::move(url)), timeoutInterval(timeoutInterval) {}

    std::string url;
    std::string httpMethod = "GET";
    HTTPHeaders headers;
    foundation::Bytes httpBody;
    // When set, the body comes from this file range instead of httpBody.
    std::optional<URLRequestBodyFile> httpBodyFile;
    // Seconds the connection may go without sending or receiving anything
    // (connecting included) before it fails with "timed out". Not a limit on
    // the whole transfer, so a large upload on a slow line still completes.
    double timeoutInterval = kDefaultTimeoutInterval;
    // When set, a Digest challenge is answered with it within the exchange.
    std::optional<URLCredential> digestCredential;
    // DER certificates that alone anchor the server's chain for this request
    // when not empty: neither the system's authorities nor any added ones
    // are trusted then, and no connection or TLS session of other requests
    // is reused.
    std::vector<foundation::Bytes> anchorCertificates;

    void setValue(std::string_view value, std::string_view forHTTPHeaderField) {
        headers.set(forHTTPHeaderField, value);
    }
    std::optional<std::string> valueForHTTPHeaderField(std::string_view field) const { return headers.value(field); }
    void setHTTPBody(foundation::Bytes body) { httpBody = std::move(body); }
    void setHTTPBody(std::string_view body) { httpBody.assign(body.begin(), body.end()); }
    bool hasBody() const { return !httpBody.empty() || (httpBodyFile && httpBodyFile->length > 0); }
};

}  // namespace net
