#pragma once

// Dropbox as the share screen meets it: the app key in the user's services
// file, a loopback HTTPS Dropbox that knows user "1234" as "Test User", the
// client pointed at it with a browser that records where it was sent, and
// the session linked unless asked otherwise. Make it after the application
// folders it keeps its files in; it puts the client back when it goes.

#include "app/share/DropboxConnectHandler.h"
#include "components/dropbox/DropboxTestServer.h"
#include "platform/foundation/Paths.h"

#include <fstream>
#include <string>
#include <vector>

struct DropboxTestServices {
    explicit DropboxTestServices(const std::string& folder, bool linked = true)
        : certificates(testsupport::TestCertificates::create(folder)),
          server(certificates.serverCertificateFile, certificates.serverKeyFile) {
        std::ofstream(foundation::Paths::configDirectory() + "/services.plist")
            << "<plist version=\"1.0\"><dict><key>Dropbox</key><dict><key>AppKey</key><string>k3y</string>"
               "<key>AppSecret</key><string>s3cr3t</string></dict></dict></plist>";
        DBConfiguration configuration;
        configuration.apiHost = "127.0.0.1:" + std::to_string(server.port());
        configuration.contentHost = configuration.apiHost;
        configuration.webHost = configuration.apiHost;
        configuration.rootCertificates = {dropboxtest::rootOf(certificates)};
        configuration.claimedSchemes = {"db-k3y"};
        configuration.openURL = dropboxtest::recordingOpener(opened);
        DBConfiguration::setCurrent(configuration);
        DBSession::setSharedSession(nullptr);
        if (linked) DropboxConnectHandler::session()->setAccessToken("t0ken", "s3cret", "1234");
        server.reply("GET", "/1/account/info",
                     {200, R"({"uid": 1234, "display_name": "Test User", "country": "NZ"})", "application/json"});
    }
    ~DropboxTestServices() {
        DBSession::setSharedSession(nullptr);
        DBConfiguration::setCurrent(DBConfiguration());
    }
    DropboxTestServices(const DropboxTestServices&) = delete;
    DropboxTestServices& operator=(const DropboxTestServices&) = delete;

    testsupport::TestCertificates certificates;
    testsupport::LoopbackHttpServer server;
    // The addresses the browser was sent to (the sign-in).
    std::vector<std::string> opened;
};
