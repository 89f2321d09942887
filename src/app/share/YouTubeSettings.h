#pragma once

// Where the YouTube share service signs in and uploads, and as which
// registered client: read from services.plist, the copy in the user's
// configuration folder ($XDG_CONFIG_HOME/tollivar/services.plist) over the
// one among the resources (config/services.plist). None ships with a client,
// so until the user registers one the service is not set up.
//
//     <dict><key>YouTube</key><dict>
//       <key>ClientID</key><string>…</string>
//       <key>ClientSecret</key><string>…</string>
//       <key>AccountsURL</key><string>https://accounts.google.com</string>
//       <key>APIURL</key><string>https://www.googleapis.com</string>
//     </dict></dict>
//
// Every address must be https: tokens never travel in the clear.

#include "platform/foundation/Error.h"

#include <string>
#include <vector>

struct YouTubeSettings {
    static constexpr const char* kNotSetUpMessage = "YouTube is not set up on this computer.";
    static constexpr const char* kKeychainItemName = "Tollivar: YouTube";

    std::string clientID;
    std::string clientSecret;
    std::string accountsURL = "https://accounts.google.com";
    std::string apiURL = "https://www.googleapis.com";

    bool isSetUp() const { return !clientID.empty(); }
    // "host" or "host:port" of apiURL.
    std::string apiHost() const;

    // The files in the order they are read, later ones overriding.
    static std::vector<std::string> searchPaths();
    // Settings from the files that exist; a file that is no property list,
    // a value of the wrong kind or an address that is not https is an error
    // naming the file.
    static foundation::Result<YouTubeSettings> load();
    static foundation::Result<YouTubeSettings> loadFrom(const std::vector<std::string>& paths);

    // Points the sign-in at these addresses.
    void applyToSignIn() const;
};
