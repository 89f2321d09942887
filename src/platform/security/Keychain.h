#pragma once

// The application's keychain: small secrets (tokens, passwords) kept in one
// property list that only this user can read,
// $XDG_DATA_HOME/tollivar/keychain.plist (folder 0700, file 0600).
//
//     security::Keychain keychain = security::Keychain::standard();
//     security::KeychainQuery query{security::KeychainItemClass::GenericPassword,
//                                   {{security::kKeychainService, "org.example.auth"}}};
//     foundation::Bytes secret;
//     if (keychain.find(query, &secret) == security::kKeychainSuccess) ...
//
// An item is a class, string attributes and its data. A query matches every
// item of its class whose attributes include all of the query's. Answers are
// the platform's status codes, so callers can log them as it does.
//
// The file is never read or written through a symbolic link, a file or a
// folder of another owner is refused (kKeychainNotAvailable), loose
// permissions of our own are tightened, and every change is written
// atomically. A file that is no keychain of ours reads as damaged
// (kKeychainDecodeError); the first change moves it aside to
// "keychain.plist.damaged" and starts an empty keychain, so the user can sign
// in again without the broken file being lost.

#include "platform/foundation/Value.h"

#include <map>
#include <string>

namespace security {

inline constexpr int kKeychainSuccess = 0;
inline constexpr int kKeychainParameterError = -50;
inline constexpr int kKeychainIOError = -36;
inline constexpr int kKeychainNotAvailable = -25291;
inline constexpr int kKeychainDuplicateItem = -25299;
inline constexpr int kKeychainItemNotFound = -25300;
inline constexpr int kKeychainDecodeError = -26275;

// Attribute names.
inline constexpr const char* kKeychainService = "service";
inline constexpr const char* kKeychainAccount = "account";
inline constexpr const char* kKeychainServer = "server";
inline constexpr const char* kKeychainSecurityDomain = "securityDomain";
inline constexpr const char* kKeychainItemType = "type";
// When an item may be read, as the caller asked (the values below). The
// keychain is a file of one user that never leaves this machine, so the
// class is kept with the item for whoever reads or moves it, not enforced.
inline constexpr const char* kKeychainAccessible = "accessible";

inline constexpr const char* kKeychainAccessibleWhenUnlocked = "WhenUnlocked";
inline constexpr const char* kKeychainAccessibleAfterFirstUnlock = "AfterFirstUnlock";
inline constexpr const char* kKeychainAccessibleWhenUnlockedThisDeviceOnly = "WhenUnlockedThisDeviceOnly";
inline constexpr const char* kKeychainAccessibleAfterFirstUnlockThisDeviceOnly = "AfterFirstUnlockThisDeviceOnly";

enum class KeychainItemClass { GenericPassword, InternetPassword };

struct KeychainQuery {
    KeychainItemClass itemClass = KeychainItemClass::GenericPassword;
    std::map<std::string, std::string> attributes;
};

class Keychain {
public:
    // The keychain of the current application folders.
    static Keychain standard();
    static std::string standardPath();

    explicit Keychain(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }

    // The data of the first matching item into `data` (when given).
    int find(const KeychainQuery& query, foundation::Bytes* data = nullptr) const;
    // A new item with the query's attributes; kKeychainDuplicateItem when one matches already.
    int add(const KeychainQuery& query, const foundation::Bytes& data);
    // Replaces the data of every matching item; kKeychainItemNotFound when none matches.
    int update(const KeychainQuery& query, const foundation::Bytes& data);
    // Updates when an item matches, else adds.
    int set(const KeychainQuery& query, const foundation::Bytes& data);
    // Deletes every matching item; kKeychainItemNotFound when none matched.
    int remove(const KeychainQuery& query);

private:
    std::string path_;
};

}  // namespace security
