#pragma once

// Where the Dropbox client connects and how it reaches the desktop: the
// API, content and web hosts, the roots its TLS chains must end in, and the
// hooks that open addresses in other programs. One process-wide value, set
// by the application at launch (and by tests) before any session is used.

#include "platform/foundation/Value.h"

#include <functional>
#include <string>
#include <vector>

namespace ui {
class ViewController;
}

class DBSession;

struct DBConfiguration {
    static constexpr const char* kProtocol = "https";
    static constexpr const char* kAPIVersion = "1";
    static constexpr const char* kClientVersion = "1.3.11";
    static constexpr const char* kOfficialAppScheme = "dbapi-2";

    std::string apiHost = "api.dropbox.com";
    std::string contentHost = "api-content.dropbox.com";
    std::string webHost = "www.dropbox.com";
    // DER certificates; the only anchors of every request's chain.
    std::vector<foundation::Bytes> rootCertificates;
    // Seconds without progress before a request fails as timed out, on the
    // run loop's clock; file uploads get the longer one.
    double timeoutSeconds = 20;
    double uploadTimeoutSeconds = 60;

    // The URL schemes this application declares ("CFBundleURLTypes").
    std::vector<std::string> claimedSchemes;
    // Whether the desktop routes `scheme` to this application; by default
    // only the declaration counts.
    std::function<bool(const std::string& scheme)> schemeRoutedHere;
    std::function<bool(const std::string& url)> canOpenURL = [](const std::string&) { return false; };
    std::function<bool(const std::string& url)> openURL = [](const std::string&) { return false; };
    // Shows the login page for `url`; by default the login page
    // (DBConnectController) is presented from the given controller, or the
    // address opens in the browser when there is none.
    std::function<void(const std::string& url, ui::ViewController* rootController, DBSession& session)> presentLogin;

    bool appClaimsScheme(const std::string& scheme) const;

    static const DBConfiguration& current();
    static void setCurrent(DBConfiguration configuration);
};
