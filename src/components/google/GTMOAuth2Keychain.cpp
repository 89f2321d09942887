#include "components/google/GTMOAuth2Keychain.h"

#include "components/google/GTMHTTPFetcherErrors.h"
#include "components/google/GTMOAuth2SignIn.h"

#include <mutex>

namespace google {

namespace {

// The generic attribute of the item, as the platform names it.
constexpr const char* kGenericAttribute = "generic";

std::mutex gKeychainMutex;
std::shared_ptr<GTMOAuth2Keychain> gDefaultKeychain;

bool fail(int status, foundation::Error* error) {
    if (status != security::kKeychainSuccess)
        foundation::setError(error, fetcherError(kGTMOAuth2KeychainErrorDomain, status));
    return status == security::kKeychainSuccess;
}

}  // namespace

std::shared_ptr<GTMOAuth2Keychain> GTMOAuth2Keychain::defaultKeychain() {
    std::lock_guard lock(gKeychainMutex);
    // The standard keychain follows the application folders of the moment.
    if (gDefaultKeychain) return gDefaultKeychain;
    return std::make_shared<GTMOAuth2Keychain>(security::Keychain::standard());
}

void GTMOAuth2Keychain::setDefaultKeychain(std::shared_ptr<GTMOAuth2Keychain> keychain) {
    std::lock_guard lock(gKeychainMutex);
    gDefaultKeychain = std::move(keychain);
}

security::KeychainQuery GTMOAuth2Keychain::keychainQueryForService(const std::string& service,
                                                                   const std::string& account) {
    return {security::KeychainItemClass::GenericPassword,
            {{security::kKeychainService, service},
             {security::kKeychainAccount, account},
             {kGenericAttribute, kGTMOAuth2AccountName}}};
}

std::string GTMOAuth2Keychain::keyForService(const std::string& service, const std::string& account) {
    return "com.tollivar.oauth2keychain." + service + account;
}

std::optional<std::string> GTMOAuth2Keychain::passwordForService(const std::string& service, const std::string& account,
                                                                 foundation::Error* error) const {
    if (service.empty() || account.empty()) {
        fail(kGTMOAuth2KeychainErrorBadArguments, error);
        return std::nullopt;
    }
    foundation::Bytes data;
    int status = keychain_.find(keychainQueryForService(service, account), &data);
    if (!fail(status, error) || data.empty()) return std::nullopt;
    return std::string(data.begin(), data.end());
}

bool GTMOAuth2Keychain::removePasswordForService(const std::string& service, const std::string& account,
                                                 foundation::Error* error) {
    if (service.empty() || account.empty()) return fail(kGTMOAuth2KeychainErrorBadArguments, error);
    return fail(keychain_.remove(keychainQueryForService(service, account)), error);
}

bool GTMOAuth2Keychain::setPassword(const std::string& password, const std::string& service,
                                    const std::optional<std::string>& accessibility, const std::string& account,
                                    foundation::Error* error) {
    if (service.empty() || account.empty()) return fail(kGTMOAuth2KeychainErrorBadArguments, error);
    security::KeychainQuery query = keychainQueryForService(service, account);
    keychain_.remove(query);
    if (password.empty()) return fail(kGTMOAuth2KeychainErrorBadArguments, error);
    if (accessibility) query.attributes[security::kKeychainAccessible] = *accessibility;
    return fail(keychain_.add(query, foundation::Bytes(password.begin(), password.end())), error);
}

GTMOAuth2AuthenticationPtr GTMOAuth2Keychain::authForGoogleFromKeychainForName(const std::string& keychainItemName,
                                                                               const std::string& clientID,
                                                                               const std::string& clientSecret,
                                                                               foundation::Error* error) {
    auto auth = GTMOAuth2Authentication::authenticationWithServiceProvider("Google", GTMOAuth2SignIn::googleTokenURL(),
                                                                           GTMOAuth2SignIn::nativeClientRedirectURI(),
                                                                           clientID, clientSecret);
    authorizeFromKeychainForName(keychainItemName, *auth, error);
    return auth;
}

bool GTMOAuth2Keychain::authorizeFromKeychainForName(const std::string& keychainItemName,
                                                     GTMOAuth2Authentication& authentication,
                                                     foundation::Error* error) {
    authentication.setAccessToken(std::nullopt);
    std::optional<std::string> password =
        defaultKeychain()->passwordForService(keychainItemName, kGTMOAuth2AccountName, error);
    if (!password) return false;
    authentication.setKeysForResponseString(*password);
    return true;
}

bool GTMOAuth2Keychain::removeAuthFromKeychainForName(const std::string& keychainItemName) {
    return defaultKeychain()->removePasswordForService(keychainItemName, kGTMOAuth2AccountName, nullptr);
}

bool GTMOAuth2Keychain::saveParamsToKeychainForName(const std::string& keychainItemName,
                                                    const GTMOAuth2Authentication& authentication,
                                                    foundation::Error* error) {
    return saveParamsToKeychainForName(keychainItemName, std::nullopt, authentication, error);
}

bool GTMOAuth2Keychain::saveParamsToKeychainForName(const std::string& keychainItemName,
                                                    const std::optional<std::string>& accessibility,
                                                    const GTMOAuth2Authentication& authentication,
                                                    foundation::Error* error) {
    std::shared_ptr<GTMOAuth2Keychain> keychain = defaultKeychain();
    keychain->removePasswordForService(keychainItemName, kGTMOAuth2AccountName, nullptr);
    if (!authentication.canAuthorize()) {
        foundation::setError(error, fetcherError(kGTMOAuth2ErrorDomain, kGTMOAuth2ErrorTokenUnavailable));
        return false;
    }
    return keychain->setPassword(authentication.persistenceResponseString(), keychainItemName,
                                 accessibility.value_or(security::kKeychainAccessibleAfterFirstUnlockThisDeviceOnly),
                                 kGTMOAuth2AccountName, error);
}

}  // namespace google
