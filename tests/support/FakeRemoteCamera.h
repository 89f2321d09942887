#pragma once

// The application of a second device that serves as a remote camera, on
// 127.0.0.1: it answers "status", "preview", "capture" and the control
// requests with a status object or a picture, records every request, and on
// demand answers something that is not JSON, fails (the connection breaks
// off mid-reply) or stalls (holds the reply back until released).
//
//     testsupport::FakeRemoteCamera camera;
//     camera.failNext("preview", 10);
//     ... point the client at camera.baseURL() ...
//     EXPECT_EQ(camera.targets("capture").at(0), "/capture?Width=...");
//
// A test target that uses it links PkgConfig::HTTPLIB.

#include "support/LoopbackHttpServer.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

class FakeRemoteCamera {
public:
    // Every request path the remote side answers.
    static const std::vector<std::string>& paths();

    // A status object as JSON text: every control supported, the given
    // camera position and modes.
    static std::string statusText(int position = 1, int focusMode = 2, int exposureMode = 2, int whiteBalanceMode = 2,
                                  bool multipleCameras = true);
    // A small picture (4 × 3 pixels, PNG).
    static std::string picture();

    FakeRemoteCamera();
    // Releases stalled requests before the server stops.
    ~FakeRemoteCamera();
    FakeRemoteCamera(const FakeRemoteCamera&) = delete;
    FakeRemoteCamera& operator=(const FakeRemoteCamera&) = delete;

    // "http://127.0.0.1:<port>" and `suffix` ("/?token=7" for a base with a query).
    std::string baseURL(std::string_view suffix = {}) const;
    std::string host() const { return "127.0.0.1"; }
    int port() const { return server_.port(); }

    // The text the status, switch, mode and focus requests answer.
    void setStatus(std::string text);
    // The bytes the preview and capture requests answer.
    void setPicture(std::string bytes);
    // The next `count` requests of `path` ("preview") break off; a negative
    // count breaks every one until changed.
    void failNext(const std::string& path, int count);
    // Requests of `path` are held until release() (or the camera's end).
    void stall(const std::string& path);
    void release();

    // Requests as sent ("/capture?Width=..."), all or those of one path.
    std::vector<std::string> targets() const;
    std::vector<std::string> targets(const std::string& path) const;
    size_t requestCount(const std::string& path) const;
    // Blocks until `count` requests of any path have arrived or the real
    // timeout passes. For tests that must act while a request is in flight.
    bool waitForRequests(size_t count, double timeoutSeconds) const {
        return server_.waitForRequests(count, timeoutSeconds);
    }

private:
    HttpReply answer(const std::string& path, bool isPicture);

    mutable std::mutex mutex_;
    std::condition_variable released_;
    std::string status_;
    std::string picture_;
    std::map<std::string, int> failures_;
    std::set<std::string> stalled_;
    bool releasing_ = false;
    LoopbackHttpServer server_;  // last: it stops before the state above goes
};

}  // namespace testsupport
