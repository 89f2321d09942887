#pragma once

// The application's Dropbox identity (key, secret, access root) and the
// OAuth 1.0 tokens of every user linked on this machine, one credential
// store per user. The tokens live in one keychain item (DBKeychain), read
// at creation and written on every change.
//
// The login hand-off ends in a callback address of the scheme "db-<key>"
// that the application passes to handleOpenURL(); see DBSessionLogin.cpp.

#include "components/dropbox/MPOAuthCredentialConcreteStore.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {
class ViewController;
}

class DBSession;

class DBSessionDelegate {
public:
    virtual ~DBSessionDelegate() = default;
    virtual void sessionDidReceiveAuthorizationFailure(DBSession& session, const std::string& userId) = 0;
};

// The keychain item of the session: one generic password whose service is
// "<bundle identifier>.dropbox.auth", holding a keyed archive of a dictionary.
class DBKeychain {
public:
    // Nothing stored, or data that do not unarchive into a dictionary (the
    // damaged item is then deleted, so it cannot block the next link).
    static std::optional<foundation::Dictionary> credentials();
    static void setCredentials(const foundation::Dictionary& credentials);
    static void deleteCredentials();
};

class DBSession : public std::enable_shared_from_this<DBSession> {
public:
    static constexpr const char* kUnknownUserId = "unknown";
    static constexpr const char* kErrorDomain = "DBSession";
    static constexpr int64_t kErrorUnstorableLink = 1;
    static constexpr const char* kUnstorableLinkText =
        "Dropbox answered with an account link that cannot be stored. Please link your account again.";

    DBSession(std::string appKey, std::string appSecret, std::string root);
    DBSession(const DBSession&) = delete;
    DBSession& operator=(const DBSession&) = delete;

    static std::shared_ptr<DBSession> sharedSession();
    static void setSharedSession(std::shared_ptr<DBSession> session);

    bool isLinked() const { return !credentialStores_.empty(); }
    void unlinkAll();
    void unlinkUserId(const std::string& userId);
    std::vector<std::string> userIds() const;
    // No user: the anonymous store (one, made on first use); else the
    // user's store, null when that user is not linked.
    MPOAuthCredentialConcreteStore* credentialStoreForUserId(const std::optional<std::string>& userId);

    void setAccessToken(const std::string& token, const std::string& secret, const std::string& userId);
    void updateAccessToken(const std::string& token, const std::string& secret, const std::string& userId);
    void saveCredentials();

    const std::string& root() const { return root_; }
    const std::string& appKey() const { return appKey_; }
    DBSessionDelegate* delegate() const { return delegate_; }
    void setDelegate(DBSessionDelegate* delegate) { delegate_ = delegate; }

    // Login (DBSessionLogin.cpp).
    std::string appScheme() const { return "db-" + appKey_; }
    bool appConformsToScheme() const;
    void linkFromController(ui::ViewController* rootController);
    void linkUserId(const std::optional<std::string>& userId, ui::ViewController* rootController);
    bool handleOpenURL(const std::string& url);
    // Why the last callback handleOpenURL() took in refused to link: set when
    // it answered the current login but carried no account that could be kept
    // (a part missing, or tokens that are not UTF-8 text); none after every
    // other callback.
    const std::optional<foundation::Error>& linkError() const { return linkError_; }
    static foundation::Dictionary parseURLParams(std::string_view query);
    // The check value "s": the last four bytes of the secret's SHA-1, "%x".
    static std::string checkValueForSecret(std::string_view secret);

private:
    void loadStoredCredentials();
    void closeLoginPage();

    MPOAuthCredentials baseCredentials_;
    std::map<std::string, MPOAuthCredentialConcreteStore> credentialStores_;
    std::optional<MPOAuthCredentialConcreteStore> anonymousStore_;
    std::string root_;
    std::string appKey_;
    std::string appSecret_;
    DBSessionDelegate* delegate_ = nullptr;
    std::optional<foundation::Error> linkError_;
};
