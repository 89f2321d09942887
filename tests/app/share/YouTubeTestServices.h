#pragma once

// A provider and a video service on HTTPS loopback servers trusted through a
// test authority, the settings that point at them, and an account in the
// keychain: the ground of the YouTube share tests. Make it after the
// application folders it keeps its files in.

#include "app/share/YouTubeSettings.h"
#include "support/FakeVideoService.h"
#include "support/LoopbackHttpServer.h"

#include <string>

struct YouTubeTestServices {
    explicit YouTubeTestServices(const std::string& folder);
    ~YouTubeTestServices();

    // A signed-in account: refresh token "rt", e-mail "u@example.test".
    void saveAccount() const;
    // The provider hands out an access token, and the video service lists
    // the categories "Film & Animation" (1) and "Entertainment" (24).
    void answerAccountCalls();
    // The user's services file, naming these servers.
    void writeServicesFile() const;
    // The JSON-RPC reply to the call in `body` with `result`.
    static std::string rpcResult(const std::string& body, const std::string& result);

    testsupport::TestCertificates certificates;
    testsupport::LoopbackHttpServer provider;
    testsupport::FakeVideoService videos;
    YouTubeSettings settings;
};
