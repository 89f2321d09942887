// The login hand-off of DBSession: the callback address, the check value and
// the nonce that ties a callback to the login that asked for it.

#include "components/dropbox/DBConfiguration.h"
#include "components/dropbox/DBConnectController.h"
#include "components/dropbox/DBLog.h"
#include "components/dropbox/DBSession.h"
#include "components/dropbox/MPURLEscapingAdditions.h"
#include "components/dropbox/MPURLRequestParameter.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Strings.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Utf8.h"
#include "platform/foundation/Uuid.h"
#include "platform/security/Digest.h"
#include "platform/ui/controllers/NavigationController.h"

#include <cstdio>

namespace {

constexpr const char* kNonceKey = "dropbox.sync.nonce";

}  // namespace

std::string DBSession::checkValueForSecret(std::string_view secret) {
    security::SHA1Digest digest = security::sha1(secret);
    uint32_t last = (uint32_t(digest[16]) << 24) | (uint32_t(digest[17]) << 16) | (uint32_t(digest[18]) << 8) |
                    uint32_t(digest[19]);
    char text[16];
    std::snprintf(text, sizeof text, "%x", last);
    return text;
}

foundation::Dictionary DBSession::parseURLParams(std::string_view query) {
    foundation::Dictionary entries;
    for (const auto& parameter : MPURLRequestParameter::parametersFromString(query))
        entries.set(parameter.name(), foundation::Value(parameter.value()));
    return entries;
}

bool DBSession::appConformsToScheme() const { return DBConfiguration::current().appClaimsScheme(appScheme()); }

void DBSession::linkFromController(ui::ViewController* rootController) { linkUserId(std::nullopt, rootController); }

void DBSession::linkUserId(const std::optional<std::string>& userId, ui::ViewController* rootController) {
    if (!appConformsToScheme()) {
        DBLogError("DropboxSDK: unable to link; app isn't registered for correct URL scheme (" + appScheme() + ")");
        return;
    }
    const std::string hint = userId && *userId != kUnknownUserId
                                 ? "&u=" + MPURLEscapingAdditions::stringByAddingURIPercentEscapes(*userId)
                                 : std::string();
    const std::string nonce = foundation::makeUuidString();
    foundation::UserDefaults& defaults = foundation::UserDefaults::standard();
    defaults.setObject(foundation::Value(nonce), kNonceKey);
    defaults.synchronize();
    const std::string query = "k=" + appKey_ + "&s=" + checkValueForSecret(appSecret_) + "&state=" + nonce;
    const DBConfiguration& configuration = DBConfiguration::current();
    const std::string officialLink = std::string(DBConfiguration::kOfficialAppScheme) + "://1/connect";
    if (configuration.canOpenURL(officialLink)) {
        configuration.openURL(officialLink + "?" + query + hint);
        return;
    }
    const std::string loginURL = "https://" + configuration.webHost + "/1/connect_login?" + query + "&easl=1" + hint;
    if (configuration.presentLogin) {
        configuration.presentLogin(loginURL, rootController, *this);
        return;
    }
    if (!rootController) {
        configuration.openURL(loginURL);
        return;
    }
    auto page = std::make_shared<DBConnectController>(loginURL, rootController, shared_from_this());
    rootController->presentViewController(std::make_shared<ui::NavigationController>(page), true);
}

void DBSession::closeLoginPage() {
    // The page waits for the browser; the callback is its answer.
    if (DBConnectController* page = DBConnectController::current()) page->dismiss();
}

bool DBSession::handleOpenURL(const std::string& url) {
    linkError_.reset();
    const std::string prefix = appScheme() + "://1/";
    if (url.compare(0, prefix.size(), prefix) != 0) return false;
    std::string rest = url.substr(prefix.size());
    const size_t queryStart = rest.find('?');
    const std::string query = queryStart == std::string::npos ? std::string() : rest.substr(queryStart + 1);
    const std::string path = rest.substr(0, std::min(rest.find_first_of("/?#"), rest.size()));

    if (path == "connect") {
        foundation::Dictionary parameters = parseURLParams(query);
        foundation::UserDefaults& defaults = foundation::UserDefaults::standard();
        std::optional<std::string> nonce = defaults.stringForKey(kNonceKey);
        defaults.removeObjectForKey(kNonceKey);
        defaults.synchronize();
        auto state = parameters.get("state").stringValue();
        if (!nonce || state != nonce) {
            DBLogError("unable to verify link request");
            return false;
        }
        auto token = parameters.get("oauth_token").stringValue();
        auto secret = parameters.get("oauth_token_secret").stringValue();
        auto uid = parameters.get("uid").stringValue();
        // A callback without all three links nobody; nor do tokens that are
        // no text, which the keychain item could never hold: a link that is
        // not kept would be lost at the next start.
        const bool complete = token && secret && uid && !token->empty() && !uid->empty();
        if (!complete || !foundation::isValidUtf8(*token) || !foundation::isValidUtf8(*secret) ||
            !foundation::isValidUtf8(*uid)) {
            DBLogError(complete ? "DropboxSDK: the link callback's token or id is not UTF-8 text"
                                : "DropboxSDK: the link callback lacks the account's token or id");
            linkError_ =
                foundation::Error(kErrorDomain, kErrorUnstorableLink, foundation::localized(kUnstorableLinkText));
            return false;
        }
        updateAccessToken(*token, *secret, *uid);
        closeLoginPage();
        return true;
    }
    if (path == "cancel") {
        DBLogInfo("DropboxSDK: user cancelled Dropbox link");
        closeLoginPage();
    }
    return true;
}
