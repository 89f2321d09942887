#include "YouTubeTestServices.h"

#include "components/google/GTMOAuth2Keychain.h"
#include "components/google/GTMOAuth2SignIn.h"
#include "platform/net/URLConnection.h"

#include <regex>

YouTubeTestServices::YouTubeTestServices(const std::string& folder)
    : certificates(testsupport::TestCertificates::create(folder)),
      provider(certificates.serverCertificateFile, certificates.serverKeyFile),
      videos(certificates.serverCertificateFile, certificates.serverKeyFile) {
    net::URLConnection::setAdditionalCertificateAuthorityFile(certificates.authorityFile);
    settings.clientID = "client";
    settings.clientSecret = "secret";
    settings.accountsURL = provider.url("");
    settings.apiURL = videos.url("");
    settings.applyToSignIn();
}

YouTubeTestServices::~YouTubeTestServices() {
    net::URLConnection::setAdditionalCertificateAuthorityFile(std::nullopt);
    google::GTMOAuth2SignIn::setProvider({});
}

void YouTubeTestServices::saveAccount() const {
    auto auth = google::GTMOAuth2SignIn::standardGoogleAuthenticationForScope("s", "client", "secret");
    auth->setKeysForResponseString("refresh_token=rt&email=u%40example.test&serviceProvider=Google");
    google::GTMOAuth2Keychain::saveParamsToKeychainForName(YouTubeSettings::kKeychainItemName, *auth);
}

std::string YouTubeTestServices::rpcResult(const std::string& body, const std::string& result) {
    std::smatch match;
    std::regex_search(body, match, std::regex(R"re("id"\s*:\s*"([^"]*)")re"));
    return R"({"jsonrpc":"2.0","id":")" + std::string(match[1]) + R"(","result":)" + result + "}";
}
