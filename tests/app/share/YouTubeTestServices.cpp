#include "YouTubeTestServices.h"

#include "components/google/GTMOAuth2Keychain.h"
#include "components/google/GTMOAuth2SignIn.h"
#include "platform/foundation/Paths.h"
#include "platform/net/URLConnection.h"

#include <fstream>

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

void YouTubeTestServices::answerAccountCalls() {
    provider.reply("POST", "/o/oauth2/token", {200, R"({"access_token":"at","expires_in":3600})", "application/json"});
    videos.on("POST", "/rpc", [](const testsupport::VideoServiceExchange& exchange) {
        return testsupport::HttpReply{200, rpcResult(exchange.body, R"({"kind":"youtube#videoCategoryListResponse","items":[
                {"kind":"youtube#videoCategory","id":"1","snippet":{"title":"Film & Animation"}},
                {"kind":"youtube#videoCategory","id":"24","snippet":{"title":"Entertainment"}}]})"),
                                      "application/json"};
    });
}

void YouTubeTestServices::writeServicesFile() const {
    std::ofstream(foundation::Paths::configDirectory() + "/services.plist")
        << "<plist version=\"1.0\"><dict><key>YouTube</key><dict><key>ClientID</key><string>client</string>"
           "<key>ClientSecret</key><string>secret</string><key>AccountsURL</key><string>"
        << settings.accountsURL << "</string><key>APIURL</key><string>" << settings.apiURL
        << "</string></dict></dict></plist>";
}

std::string YouTubeTestServices::rpcResult(const std::string& body, const std::string& result) {
    std::smatch match;
    std::regex_search(body, match, std::regex(R"re("id"\s*:\s*"([^"]*)")re"));
    return R"({"jsonrpc":"2.0","id":")" + std::string(match[1]) + R"(","result":)" + result + "}";
}
