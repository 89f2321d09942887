#pragma once

// The Dropbox client pointed at a loopback receiver, for the Dropbox
// benchmarks: every host is the receiver, whose test authority is the only
// one trusted.

#include "LoopbackReceiver.h"
#include "components/dropbox/DBBase64.h"
#include "components/dropbox/DBConfiguration.h"

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

namespace bench {

// The DER bytes of the first certificate of a PEM file.
inline foundation::Bytes derOfPEMFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    const std::string pem = text.str();
    const size_t begin = pem.find("-----BEGIN CERTIFICATE-----") + 27;
    const std::string der = base64DecodedString(pem.substr(begin, pem.find("-----END CERTIFICATE-----") - begin));
    return foundation::Bytes(der.begin(), der.end());
}

inline void useLoopbackDropbox(const LoopbackReceiver& receiver, const std::string& authorityFile) {
    DBConfiguration configuration;
    configuration.apiHost = configuration.contentHost = configuration.webHost = receiver.host();
    configuration.rootCertificates = {derOfPEMFile(authorityFile)};
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
