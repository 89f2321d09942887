// The Dropbox login across processes, with the real executable: the running
// copy hands the login page to the desktop's opener; the browser (a fake
// `xdg-open` first on PATH) follows the page to the application's callback
// and starts a second `tollivar` with it, which hands it to the running copy.
// That copy links the account, keeps it after a restart, and nothing it or
// its helpers print carries a secret.

#include "AppProcess.h"
#include "components/dropbox/DBSession.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempAppFolders.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>

namespace {

namespace fs = std::filesystem;
using namespace startuptest;

constexpr const char* kDesktopEntry = "com.marrowick.tollivar.desktop";

void writeScript(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
    fs::permissions(path, fs::perms::owner_all);
}

// The value of `name` in the query of a request target, as sent.
std::string queryValue(const std::string& target, const std::string& name) {
    const size_t query = target.find('?');
    if (query == std::string::npos) return {};
    const std::string pairs = "&" + target.substr(query + 1);
    const size_t start = pairs.find("&" + name + "=");
    if (start == std::string::npos) return {};
    const size_t value = start + name.size() + 2;
    return pairs.substr(value, pairs.find('&', value) - value);
}

// The next line of the child's output; false when none began within a
// minute or the output ended.
bool readLine(testsupport::ChildProcess& child, std::string& line) {
    line.clear();
    pollfd descriptor{child.outputDescriptor(), POLLIN, 0};
    return ::poll(&descriptor, 1, 60'000) > 0 && child.readUntil('\n', &line);
}

class DropboxLoginProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        certificates = testsupport::TestCertificates::create(folders.root());
        server = std::make_unique<testsupport::LoopbackHttpServer>(certificates.serverCertificateFile,
                                                                   certificates.serverKeyFile);
        // The login page sends the browser to the application's callback
        // with the account's token and the login's own state.
        server->on("GET", "/1/connect_login", [](const testsupport::HttpExchange& exchange) {
            if (queryValue(exchange.target, "k") != "k3y" ||
                queryValue(exchange.target, "s") != DBSession::checkValueForSecret("s3cr3t"))
                return testsupport::HttpReply{403, "unknown application"};
            const std::string callback =
                "db-k3y://1/connect?oauth_token=t0ken&oauth_token_secret=t0ken%20s3cret%2F%2B&uid=42&state=" +
                queryValue(exchange.target, "state");
            return testsupport::HttpReply{302, {}, "text/plain", {{"Location", callback}}};
        });

        const std::string port = std::to_string(server->port());
        std::ofstream(folders.config() + "/services.plist")
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict><key>Dropbox</key><dict>"
               "<key>AppKey</key><string>k3y</string><key>AppSecret</key><string>s3cr3t</string>"
               "<key>WebHost</key><string>127.0.0.1:"
            << port << "</string></dict></dict></plist>\n";

        // The desktop: our entry opens "db-k3y"; nothing opens "dbapi-2".
        // The browser trusts only the test authority, says nothing, and
        // starts whatever the page's last redirect names.
        fs::create_directories(bin());
        writeScript(bin() + "/xdg-mime", std::string("#!/bin/sh\n"
                                                     "[ \"$1 $2 $3\" = \"query default x-scheme-handler/db-k3y\" ] "
                                                     "&& echo ") +
                                             kDesktopEntry + "\nexit 0\n");
        // (The Location field as sent: curl's own redirect_url would read
        // "1" of "db-k3y://1/" as an IPv4 address.)
        writeScript(bin() + "/xdg-open",
                    "#!/bin/sh\n"
                    "callback=$(curl -s --cacert '" +
                        certificates.authorityFile +
                        "' -o /dev/null -D - \"$1\" | sed -n 's/^[Ll]ocation: *//p' | tr -d '\\r')\n"
                        "[ -n \"$callback\" ] || { echo 'opener failed'; exit 1; }\n"
                        "exec '" TOLLIVAR_APPLICATION_BINARY "' \"$callback\"\n");
    }

    std::string bin() const { return folders.root() + "/bin"; }
    std::string path() const { return "PATH=" + bin() + ":" + std::getenv("PATH"); }

    testsupport::TempAppFolders folders;
    testsupport::TestCertificates certificates;
    std::unique_ptr<testsupport::LoopbackHttpServer> server;
};

TEST_F(DropboxLoginProcessTest, TheBrowsersCallbackLinksTheRunningCopy) {
    testsupport::ChildProcess::Options options;
    options.environment = {path(), "QT_QPA_PLATFORM=offscreen", "ASAN_OPTIONS=detect_leaks=0",
                           "TOLLIVAR_TEST_DROPBOX=link", "TMPDIR=" + folders.temporary()};
    options.captureOutput = true;
    options.captureErrors = true;
    auto first = testsupport::ChildProcess::spawn({TOLLIVAR_APPLICATION_BINARY}, options);

    std::string output;
    std::string line;
    while (!line.starts_with("DropboxLoginNotification") && line != "no session" && line != "opener failed") {
        ASSERT_TRUE(readLine(first, line)) << "no login answer:\n" << output;
        output += line + "\n";
    }
    EXPECT_EQ(line, "DropboxLoginNotification true");
    ASSERT_EQ(server->requestCount(), 1u);
    EXPECT_EQ(server->requests()[0].path, "/1/connect_login");
    EXPECT_EQ(first.stop(SIGTERM), 0);
    output += first.readOutput();

    // One answer, the account kept: a session of a later launch has it.
    EXPECT_EQ(output.find("DropboxLoginNotification"), output.rfind("DropboxLoginNotification")) << output;
    auto session = std::make_shared<DBSession>("k3y", "s3cr3t", "sandbox");
    EXPECT_EQ(session->userIds(), std::vector<std::string>{"42"});
    ASSERT_TRUE(session->credentialStoreForUserId(std::string("42")));
    EXPECT_EQ(session->credentialStoreForUserId(std::string("42"))->accessToken(), std::optional<std::string>("t0ken"));
    EXPECT_EQ(session->credentialStoreForUserId(std::string("42"))->accessTokenSecret(), "t0ken s3cret/+");

    // Neither copy nor the opener printed a secret or the callback.
    for (const char* secret : {"s3cr3t", "t0ken", "oauth_token", "db-k3y://"})
        EXPECT_EQ(output.find(secret), std::string::npos) << secret << " in:\n" << output;
}

}  // namespace
