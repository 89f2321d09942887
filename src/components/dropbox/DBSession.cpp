#include "components/dropbox/DBSession.h"

#include "components/dropbox/DBLog.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/security/Keychain.h"

namespace {

constexpr const char* kCredentialVersionKey = "DBCredentialVersion";
constexpr const char* kUserCredentialsKey = "kDBDropboxUserCredentials";
constexpr const char* kUserIdKey = "kDBDropboxUserId";
constexpr const char* kSavedCredentialsKeyOld = "kDBDropboxSavedCredentialsKey";
constexpr const char* kSavedCredentialsKey = "kDBDropboxSavedCredentials";
constexpr int kCurrentCredentialVersion = 3;

std::shared_ptr<DBSession>& sharedSlot() {
    static std::shared_ptr<DBSession> session;
    return session;
}

security::KeychainQuery keychainQuery() {
    return {security::KeychainItemClass::GenericPassword,
            {{security::kKeychainService, foundation::Bundle::main().bundleIdentifier() + ".dropbox.auth"}}};
}

std::optional<std::string> stringIn(const foundation::Dictionary& dictionary, std::string_view key) {
    return dictionary.get(key).stringValue();
}

}  // namespace

std::optional<foundation::Dictionary> DBKeychain::credentials() {
    foundation::Bytes data;
    int status = security::Keychain::standard().find(keychainQuery(), &data);
    if (status == security::kKeychainItemNotFound) return std::nullopt;
    if (status != security::kKeychainSuccess) {
        DBLogWarning("DropboxSDK: error reading stored credentials (" + std::to_string(status) + ")");
        return std::nullopt;
    }
    auto root = foundation::KeyedUnarchiver::unarchiveValue(data);
    if (root && root->isDictionary()) return root->asDictionary();
    DBLogWarning("DropboxSDK: error reading stored credentials (" + std::to_string(security::kKeychainDecodeError) +
                 ")");
    deleteCredentials();
    return std::nullopt;
}

void DBKeychain::setCredentials(const foundation::Dictionary& credentials) {
    auto data = foundation::KeyedArchiver::archivedData(foundation::Value(credentials));
    int status = data ? security::Keychain::standard().set(keychainQuery(), *data) : security::kKeychainParameterError;
    if (status != security::kKeychainSuccess)
        DBLogWarning("DropboxSDK: error saving credentials (" + std::to_string(status) + ")");
}

void DBKeychain::deleteCredentials() {
    int status = security::Keychain::standard().remove(keychainQuery());
    if (status != security::kKeychainSuccess)
        DBLogWarning("DropboxSDK: error deleting credentials (" + std::to_string(status) + ")");
}

std::shared_ptr<DBSession> DBSession::sharedSession() { return sharedSlot(); }

void DBSession::setSharedSession(std::shared_ptr<DBSession> session) {
    if (sharedSlot() == session) return;
    sharedSlot() = std::move(session);
}

DBSession::DBSession(std::string appKey, std::string appSecret, std::string root)
    : baseCredentials_{{kMPOAuthCredentialConsumerKey, appKey},
                       {kMPOAuthCredentialConsumerSecret, appSecret},
                       {kMPOAuthSignatureMethod, "PLAINTEXT"}},
      root_(std::move(root)),
      appKey_(std::move(appKey)),
      appSecret_(std::move(appSecret)) {
    loadStoredCredentials();
}

void DBSession::loadStoredCredentials() {
    foundation::UserDefaults& defaults = foundation::UserDefaults::standard();
    // Tokens that older releases kept in the user defaults move to the
    // keychain; the entries go whether or not they belong to this key.
    if (auto single = defaults.dictionaryForKey(kSavedCredentialsKeyOld)) {
        auto token = stringIn(*single, kMPOAuthCredentialAccessToken);
        auto secret = stringIn(*single, kMPOAuthCredentialAccessTokenSecret);
        if (stringIn(*single, kMPOAuthCredentialConsumerKey) == appKey_ && token && secret)
            updateAccessToken(*token, *secret, kUnknownUserId);
        defaults.removeObjectForKey(kSavedCredentialsKeyOld);
        defaults.synchronize();
    }
    if (auto list = defaults.dictionaryForKey(kSavedCredentialsKey)) {
        if (stringIn(*list, kMPOAuthCredentialConsumerKey) == appKey_ && list->get(kUserCredentialsKey).isArray()) {
            for (const foundation::Value& entry : list->get(kUserCredentialsKey).asArray()) {
                if (!entry.isDictionary()) continue;
                auto user = entry.asDictionary();
                auto userId = stringIn(user, kUserIdKey);
                auto token = stringIn(user, kMPOAuthCredentialAccessToken);
                auto secret = stringIn(user, kMPOAuthCredentialAccessTokenSecret);
                if (userId && token && secret) setAccessToken(*token, *secret, *userId);
            }
            saveCredentials();
        }
        defaults.removeObjectForKey(kSavedCredentialsKey);
        defaults.synchronize();
    }

    auto stored = DBKeychain::credentials();
    if (!stored) return;
    if (stringIn(*stored, kMPOAuthCredentialConsumerKey) != appKey_) {
        // Tokens of another application key are of no use and are dropped.
        DBKeychain::deleteCredentials();
        return;
    }
    const int64_t version = stored->get(kCredentialVersionKey).asInt(0);
    if (version == 1) {
        auto token = stringIn(*stored, kMPOAuthCredentialAccessToken);
        auto secret = stringIn(*stored, kMPOAuthCredentialAccessTokenSecret);
        if (token && secret) updateAccessToken(*token, *secret, kUnknownUserId);
        return;
    }
    if (!stored->get(kUserCredentialsKey).isArray()) return;
    for (const foundation::Value& entry : stored->get(kUserCredentialsKey).asArray()) {
        if (!entry.isDictionary()) continue;
        auto user = entry.asDictionary();
        auto userId = stringIn(user, kUserIdKey);
        auto token = stringIn(user, kMPOAuthCredentialAccessToken);
        auto secret = stringIn(user, kMPOAuthCredentialAccessTokenSecret);
        if (!userId || !token || !secret) continue;
        if (version < kCurrentCredentialVersion)
            updateAccessToken(*token, *secret, *userId);
        else
            setAccessToken(*token, *secret, *userId);
    }
}

void DBSession::unlinkAll() {
    credentialStores_.clear();
    DBKeychain::deleteCredentials();
}

void DBSession::unlinkUserId(const std::string& userId) {
    credentialStores_.erase(userId);
    saveCredentials();
}

std::vector<std::string> DBSession::userIds() const {
    std::vector<std::string> ids;
    for (const auto& entry : credentialStores_) ids.push_back(entry.first);
    return ids;
}

MPOAuthCredentialConcreteStore* DBSession::credentialStoreForUserId(const std::optional<std::string>& userId) {
    if (!userId) {
        if (!anonymousStore_) anonymousStore_.emplace(baseCredentials_);
        return &*anonymousStore_;
    }
    auto found = credentialStores_.find(*userId);
    return found == credentialStores_.end() ? nullptr : &found->second;
}

void DBSession::setAccessToken(const std::string& token, const std::string& secret, const std::string& userId) {
    auto found = credentialStores_.find(userId);
    if (found == credentialStores_.end()) {
        found = credentialStores_.emplace(userId, MPOAuthCredentialConcreteStore(baseCredentials_)).first;
        if (userId != kUnknownUserId) credentialStores_.erase(kUnknownUserId);
    }
    found->second.setAccessToken(token);
    found->second.setAccessTokenSecret(secret);
}

void DBSession::updateAccessToken(const std::string& token, const std::string& secret, const std::string& userId) {
    setAccessToken(token, secret, userId);
    saveCredentials();
}

void DBSession::saveCredentials() {
    foundation::Array users;
    for (const auto& [userId, store] : credentialStores_) {
        users.push_back(foundation::Dictionary{
            {kUserIdKey, foundation::Value(userId)},
            {kMPOAuthCredentialAccessToken, foundation::Value(store.accessToken().value_or(""))},
            {kMPOAuthCredentialAccessTokenSecret, foundation::Value(store.accessTokenSecret().value_or(""))},
        });
    }
    DBKeychain::setCredentials(foundation::Dictionary{
        {kMPOAuthCredentialConsumerKey, foundation::Value(appKey_)},
        {kCredentialVersionKey, foundation::Value(kCurrentCredentialVersion)},
        {kUserCredentialsKey, foundation::Value(users)},
    });
}
