#pragma once

// The share services' application credentials and defaults, from the
// "services.plist" resource overlaid, key by key, by a "services.plist" in
// the user's configuration folder ($XDG_CONFIG_HOME/tollivar): keys of an
// online service belong to whoever runs the program, so a computer sets
// them up without rebuilding. Both files are read on every call.
//
// Layout: a dictionary with "YouTube" (ClientID, ClientSecret and the
// addresses, read by YouTubeSettings, which checks them; DefaultKeywords:
// array of texts; FeaturedPlaylist), "Dropbox" (AppKey, AppSecret) and
// "AppURLFormat" (a format with one "%lld" or "%@" for the application's
// catalogue id). Here a missing file or a value of the wrong type counts as
// absent.

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <vector>

class ShareConfiguration {
public:
    static inline const char* kYoutubeKey = "YouTube";
    static inline const char* kDropboxKey = "Dropbox";
    static inline const char* kDropboxKeychainItemName = "Tollivar: Dropbox";

    static std::string getYoutubeClientID(const foundation::Bundle& bundle = foundation::Bundle::main());
    static std::string getYoutubeClientSecret(const foundation::Bundle& bundle = foundation::Bundle::main());
    static std::string getYoutubeKeychainItemName(const foundation::Bundle& bundle = foundation::Bundle::main());
    static std::vector<std::string> getYoutubeDefaultKeywords(
        const foundation::Bundle& bundle = foundation::Bundle::main());
    static std::string getYoutubeFeaturedPlaylist(const foundation::Bundle& bundle = foundation::Bundle::main());

    static std::string getDropboxAppKey(const foundation::Bundle& bundle = foundation::Bundle::main());
    static std::string getDropboxAppSecret(const foundation::Bundle& bundle = foundation::Bundle::main());
    static std::string getDropboxKeychainItemName(const foundation::Bundle& bundle = foundation::Bundle::main());

    // Both halves of the credentials are needed before a service can sign in.
    static bool isYoutubeConfigured(const foundation::Bundle& bundle = foundation::Bundle::main());
    static bool isDropboxConfigured(const foundation::Bundle& bundle = foundation::Bundle::main());

    // The application's catalogue address for an id; none without a format
    // or with a format that is not exactly one placeholder.
    static std::optional<std::string> getAppURL(int64_t iTunesID,
                                                const foundation::Bundle& bundle = foundation::Bundle::main());

    // The resource laid under the user's file.
    static foundation::Dictionary merged(const foundation::Bundle& bundle = foundation::Bundle::main());
};

// The application's name as the services show it: the configuration's
// localized name, else the bundle's display name. Photos' album and the
// documents folder of "Save to Folder" are named after it.
std::string shareApplicationName(const foundation::Bundle& bundle = foundation::Bundle::main());

// "Made with <application name>", and on a second line the application's
// catalogue address when it has an id and a format for it.
std::string shareSignature(const foundation::Bundle& bundle = foundation::Bundle::main());

// The user's text, a blank line and the signature; only the signature when
// the text is blank, and the text alone when it ends with the signature.
std::string appendingShareSignature(const std::string& text,
                                    const foundation::Bundle& bundle = foundation::Bundle::main());
