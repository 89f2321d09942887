#include "components/dropbox/MPOAuthAPI.h"

#include "components/dropbox/MPURLEscapingAdditions.h"

#include <algorithm>

MPOAuthAPI::MPOAuthAPI(MPOAuthCredentials credentials, std::string authenticationURL, std::string baseURL,
                       bool autoStart, std::optional<foundation::Dictionary> configuration)
    : credentials_(
          std::make_shared<MPOAuthCredentialConcreteStore>(std::move(credentials), baseURL, authenticationURL)),
      baseURL_(std::move(baseURL)),
      authenticationURL_(std::move(authenticationURL)) {
    authenticationMethod_ = MPOAuthAuthenticationMethod::create(*this, authenticationURL_, std::move(configuration));
    setSignatureScheme(HMAC_SHA1);
    activeLoaders_.reserve(10);
    if (autoStart) authenticate();
}

MPOAuthAPI::~MPOAuthAPI() {
    auto loaders = std::move(activeLoaders_);
    activeLoaders_.clear();
    for (auto& loader : loaders) {
        loader->setFinishedHandler({});
        loader->setTarget({});
        loader->cancel();
    }
}

void MPOAuthAPI::setSignatureScheme(SignatureScheme scheme) {
    signatureScheme_ = scheme;
    static constexpr const char* kNames[] = {"PLAINTEXT", "HMAC-SHA1", "RSA-SHA1"};
    if (scheme >= PLAINTEXT && scheme <= RSA_SHA1) credentials_->setSignatureMethod(kNames[scheme]);
}

void MPOAuthAPI::authenticate() {
    if (credentials_->consumerKey().empty())
        throw MPOAuthException("NSInternalInconsistencyException", "A Consumer Key is required for use of OAuth.");
    authenticationMethod_->authenticate();
}

void MPOAuthAPI::discardCredentials() {
    credentials_->discardOAuthCredentials();
    authenticationState_ = NotAuthenticated;
}

std::string MPOAuthAPI::resolve(const std::string& url, const std::string& method) {
    if (method.find("://") != std::string::npos) return method;
    const std::string base = MPURLParameterAdditions::urlByRemovingQuery(url);
    size_t scheme = base.find("://");
    size_t pathStart = scheme == std::string::npos ? 0 : base.find('/', scheme + 3);
    std::string origin = pathStart == std::string::npos ? base : base.substr(0, pathStart);
    if (method.starts_with("/")) return origin + method;
    if (pathStart == std::string::npos) return origin + "/" + method;
    return base.substr(0, base.rfind('/') + 1) + method;
}

void MPOAuthAPI::performMethod(const std::optional<std::string>& method, const std::string& url,
                               const std::vector<MPURLRequestParameter>& parameters, MPOAuthLoaderTarget target,
                               const std::string& HTTPMethod) {
    std::string address;
    if (method) {
        address = resolve(url, *method);
    } else {
        size_t scheme = url.find("://");
        size_t pathStart = scheme == std::string::npos ? std::string::npos : url.find_first_of("/?", scheme + 3);
        if (pathStart == std::string::npos)
            throw MPOAuthException("MPOAuthNilMethodRequestException",
                                   "Nil was passed as the method to be performed on " + url);
        address = url;
    }
    MPOAuthURLRequest request(address, parameters);
    request.setHTTPMethod(HTTPMethod);
    load(std::move(request), std::move(target));
}

void MPOAuthAPI::performURLRequest(const net::URLRequest& request, MPOAuthLoaderTarget target) {
    load(MPOAuthURLRequest(request), std::move(target));
}

void MPOAuthAPI::load(MPOAuthURLRequest request, MPOAuthLoaderTarget target) {
    auto loader = MPOAuthAPIRequestLoader::create(std::move(request));
    loader->setCredentials(credentials_);
    loader->setTarget(std::move(target));
    loader->setFinishedHandler([this](MPOAuthAPIRequestLoader& done) {
        std::erase_if(activeLoaders_, [&](const auto& held) { return held.get() == &done; });
    });
    activeLoaders_.push_back(loader);
    try {
        loader->loadSynchronously(false);
    } catch (...) {
        activeLoaders_.pop_back();
        throw;
    }
}

foundation::Bytes MPOAuthAPI::dataForURL(const std::string& url, const std::string& method,
                                         const std::vector<MPURLRequestParameter>& parameters) {
    auto loader = MPOAuthAPIRequestLoader::create(MPOAuthURLRequest(resolve(url, method), parameters));
    loader->setCredentials(credentials_);
    loader->loadSynchronously(true);
    return loader->data();
}
