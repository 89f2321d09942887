#pragma once

// Keeps OAuth 2 authorizations as generic-password items of the
// application's keychain: service = the caller's item name, account and
// generic attribute "OAuth", data = the authorization's persistence text.
//
//     auto auth = google::GTMOAuth2Keychain::authForGoogleFromKeychainForName(name, clientID, secret);
//     if (!auth->canAuthorize()) ... sign in ...
//
// Statuses are the keychain's codes; an empty service, account or password
// is -1301. Errors carry kGTMOAuth2KeychainErrorDomain with the status.

#include "components/google/GTMOAuth2Authentication.h"
#include "platform/security/Keychain.h"

#include <memory>
#include <optional>
#include <string>

namespace google {

inline constexpr const char* kGTMOAuth2KeychainErrorDomain = "com.tollivar.google.OAuth2Keychain";
inline constexpr int kGTMOAuth2KeychainErrorBadArguments = -1301;
inline constexpr int kGTMOAuth2KeychainErrorNoPassword = -25300;
inline constexpr const char* kGTMOAuth2AccountName = "OAuth";

class GTMOAuth2Keychain {
public:
    explicit GTMOAuth2Keychain(security::Keychain keychain) : keychain_(std::move(keychain)) {}

    // The application's keychain; setDefaultKeychain replaces it (null
    // goes back to the standard one).
    static std::shared_ptr<GTMOAuth2Keychain> defaultKeychain();
    static void setDefaultKeychain(std::shared_ptr<GTMOAuth2Keychain> keychain);

    static security::KeychainQuery keychainQueryForService(const std::string& service, const std::string& account);
    static std::string keyForService(const std::string& service, const std::string& account);

    std::optional<std::string> passwordForService(const std::string& service, const std::string& account,
                                                  foundation::Error* error) const;
    bool removePasswordForService(const std::string& service, const std::string& account, foundation::Error* error);
    // Replaces the item; a given accessibility (security::kKeychainAccessible…)
    // is kept with it.
    bool setPassword(const std::string& password, const std::string& service,
                     const std::optional<std::string>& accessibility, const std::string& account,
                     foundation::Error* error);

    // Authorizations.
    static GTMOAuth2AuthenticationPtr authForGoogleFromKeychainForName(const std::string& keychainItemName,
                                                                       const std::string& clientID,
                                                                       const std::string& clientSecret,
                                                                       foundation::Error* error = nullptr);
    static bool authorizeFromKeychainForName(const std::string& keychainItemName,
                                             GTMOAuth2Authentication& authentication, foundation::Error* error);
    static bool removeAuthFromKeychainForName(const std::string& keychainItemName);
    // Deletes any old item; adds the new one only when the authorization
    // can authorize (else -1003 in kGTMOAuth2ErrorDomain), readable as the
    // accessibility says (none: after the first unlock, this device only).
    static bool saveParamsToKeychainForName(const std::string& keychainItemName,
                                            const GTMOAuth2Authentication& authentication,
                                            foundation::Error* error = nullptr);
    static bool saveParamsToKeychainForName(const std::string& keychainItemName,
                                            const std::optional<std::string>& accessibility,
                                            const GTMOAuth2Authentication& authentication,
                                            foundation::Error* error = nullptr);

private:
    security::Keychain keychain_;
};

}  // namespace google
