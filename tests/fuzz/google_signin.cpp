// The two answers of a Google sign-in: the address the browser is sent back
// to (its query carries the code, or an error) and the token endpoint's
// answer (JSON, or form text from older providers). Both are merged into an
// authentication, which then authorizes a request and is stored as the
// keychain keeps it. The input is the address, then a line "----", then the
// token answer.

#include "FuzzTarget.h"

#include "components/google/GTMOAuth2Authentication.h"
#include "platform/net/URLRequest.h"

TOLLIVAR_FUZZ_TARGET(google_signin) {
    using google::GTMOAuth2Authentication;
    auto [callback, answer] = fuzzing::splitAt(fuzzing::text(data, size), "\n----\n");
    auto auth = GTMOAuth2Authentication::create();
    auth->redirectURI = "http://127.0.0.1:41234/";
    size_t question = callback.find('?');
    std::string query(question == std::string_view::npos ? std::string_view() : callback.substr(question + 1));
    (void)GTMOAuth2Authentication::dictionaryWithResponseString(query);
    auth->setKeysForResponseString(query);
    auth->setKeysForResponseJSONData(foundation::Bytes(answer.begin(), answer.end()));
    auth->setKeysForResponseString(std::string(answer));

    (void)auth->expiresIn();
    (void)auth->shouldRefreshAccessToken();
    (void)auth->description();
    net::URLRequest request;
    request.url = "https://www.googleapis.com/youtube/v3/videos";
    if (auth->canAuthorize()) (void)auth->authorizeRequest(request);
    const std::string stored = auth->persistenceResponseString();
    GTMOAuth2Authentication::create()->setKeysForPersistenceResponseString(stored);
    return 0;
}
