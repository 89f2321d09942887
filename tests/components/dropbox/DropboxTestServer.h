#pragma once

// A Dropbox service on an HTTPS loopback server whose test authority is the
// client's only root, a session linked as user "1234" with the tokens of the
// examples, and a delegate that records what the client tells it.

#include "components/dropbox/DBConfiguration.h"
#include "components/dropbox/DBRestClient.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/RunLoop.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"
#include "support/VirtualClock.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace dropboxtest {

// An opener for DBConfiguration::openURL that keeps every address it is
// given and says it opened it.
inline std::function<bool(const std::string&)> recordingOpener(std::vector<std::string>& opened) {
    return [&opened](const std::string& url) {
        opened.push_back(url);
        return true;
    };
}

// The test authority's certificate as a root for DBConfiguration.
inline foundation::Bytes rootOf(const testsupport::TestCertificates& certificates) {
    return foundation::readFile(certificates.authorityDERFile).value();
}

struct Recorder : DBRestClientDelegate, DBSessionDelegate {
    std::vector<std::string> events;
    std::vector<double> uploadProgress;
    std::optional<foundation::Error> lastError;
    std::optional<DBAccountInfo> account;
    Metadata lastMetadata;

    void fail(const std::string& what, const foundation::Error& error) {
        lastError = error;
        events.push_back(what + " " + std::to_string(error.code));
    }
    void restClientLoadedAccountInfo(Client&, const DBAccountInfo& info) override {
        account = info;
        events.push_back("account " + info.userId);
    }
    void restClientLoadAccountInfoFailedWithError(Client&, const Error& error) override {
        fail("account failed", error);
    }
    void restClientUploadedFileFromMetadata(Client&, const std::string& dest, const std::string&,
                                            const Metadata& metadata) override {
        lastMetadata = metadata;
        events.push_back("uploaded " + dest);
    }
    void restClientUploadProgressForFileFrom(Client&, double progress, const std::string&,
                                             const std::string&) override {
        uploadProgress.push_back(progress);
    }
    void restClientUploadFileFailedWithError(Client&, const Error& error) override { fail("upload failed", error); }
    void restClientLoadedMetadata(Client&, const Metadata& metadata) override {
        lastMetadata = metadata;
        events.push_back("metadata " + metadata->path);
    }
    void restClientMetadataUnchangedAtPath(Client&, const std::string& path) override {
        events.push_back("unchanged " + path);
    }
    void restClientLoadMetadataFailedWithError(Client&, const Error& error) override { fail("metadata failed", error); }
    void restClientLoadedFileContentTypeMetadata(Client&, const std::string& dest, const std::string& type,
                                                 const Metadata& metadata) override {
        lastMetadata = metadata;
        events.push_back("loaded " + dest + " " + type);
    }
    void restClientLoadFileFailedWithError(Client&, const Error& error) override { fail("load failed", error); }
    void restClientDeletedPath(Client&, const std::string& path) override { events.push_back("deleted " + path); }
    void restClientDeletePathFailedWithError(Client&, const Error& error) override { fail("delete failed", error); }
    void sessionDidReceiveAuthorizationFailure(DBSession&, const std::string& userId) override {
        events.push_back("authorization failure " + userId);
    }
};

class DropboxServiceTest : public ::testing::Test {
protected:
    DropboxServiceTest()
        : certificates_(testsupport::TestCertificates::create(folders_.root())),
          server_(certificates_.serverCertificateFile, certificates_.serverKeyFile) {
        DBConfiguration configuration;
        configuration.apiHost = "127.0.0.1:" + std::to_string(server_.port());
        configuration.contentHost = configuration.apiHost;
        configuration.webHost = configuration.apiHost;
        configuration.rootCertificates = {rootOf(certificates_)};
        DBConfiguration::setCurrent(configuration);
        session_ = std::make_shared<DBSession>("k3y", "s3cr3t", "sandbox");
        session_->setAccessToken("t0ken", "t0ken s3cret/+", "1234");
        session_->setDelegate(&recorder_);
        client_ = DBRestClient::create(session_);
        client_->setDelegate(&recorder_);
    }
    ~DropboxServiceTest() override {
        client_.reset();
        DBConfiguration::setCurrent(DBConfiguration());
    }

    bool runUntilEvents(size_t count, double seconds = 60) {
        return foundation::RunLoop::main().runUntil([&] { return recorder_.events.size() >= count; }, seconds);
    }

    testsupport::VirtualClockScope clock_;
    testsupport::TempAppFolders folders_;
    testsupport::TestCertificates certificates_;
    testsupport::LoopbackHttpServer server_;
    Recorder recorder_;
    std::shared_ptr<DBSession> session_;
    std::unique_ptr<DBRestClient> client_;
};

}  // namespace dropboxtest
