// The address a Dropbox login hands back to the application
// ("db-<key>://1/connect?oauth_token=…&oauth_token_secret=…&uid=…&state=…",
// or ".../cancel"). The session expects the state "fuzz-nonce", so inputs
// can get as far as storing the account's tokens in the keychain; a linked
// account is unlinked again after each input.

#include "FuzzTarget.h"

#include "components/dropbox/DBRecords.h"
#include "components/dropbox/DBSession.h"
#include "platform/foundation/UserDefaults.h"

TOLLIVAR_FUZZ_TARGET(dropbox_callback) {
    (void)fuzzing::scratchRoot();
    static const auto session = std::make_shared<DBSession>("fuzzkey", "fuzzsecret", "dropbox");
    const std::string url(fuzzing::text(data, size));
    size_t question = url.find('?');
    if (question != std::string::npos) {
        (void)DBSession::parseURLParams(std::string_view(url).substr(question + 1));
        (void)NSDictionaryDropbox::dictionaryWithQueryString(std::string_view(url).substr(question + 1));
    }
    foundation::UserDefaults::standard().setObject(foundation::Value("fuzz-nonce"), "dropbox.sync.nonce");
    if (session->handleOpenURL(url)) {
        for (const std::string& user : session->userIds()) (void)session->credentialStoreForUserId(user);
        session->unlinkAll();
    }
    return 0;
}
