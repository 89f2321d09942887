#pragma once

// The Dropbox client pointed at a loopback receiver, for the Dropbox
// benchmarks: every host is the receiver, whose test authority is the only
// one trusted.

#include "LoopbackReceiver.h"
#include "components/dropbox/DBConfiguration.h"
#include "platform/foundation/AtomicFile.h"

#include <cstdint>
#include <string>

namespace bench {

inline void useLoopbackDropbox(const LoopbackReceiver& receiver, const testsupport::TestCertificates& certificates) {
    DBConfiguration configuration;
    configuration.apiHost = configuration.contentHost = configuration.webHost = receiver.host();
    configuration.rootCertificates = {foundation::readFile(certificates.authorityDERFile).value()};
    DBConfiguration::setCurrent(configuration);
}

// A files_put route on the receiver (`name` in the app folder) that answers
// with the file's metadata when the whole body of `length` bytes arrived,
// and 400 otherwise, so a short upload fails its run.
inline void answerFilesPut(testsupport::FakeVideoService& service, const std::string& name, uint64_t length) {
    service.on("POST", "/1/files_put/sandbox/" + name, [name, length](const testsupport::VideoServiceExchange& sent) {
        if (sent.cut || sent.bodyLength != length)
            return testsupport::HttpReply{400, R"({"error": "the body is short"})", "application/json"};
        return testsupport::HttpReply{
            200, R"({"path": "/)" + name + R"(", "rev": "1", "bytes": )" + std::to_string(length) + "}",
            "application/json"};
    });
}

}  // namespace bench
