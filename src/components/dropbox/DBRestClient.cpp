#include "components/dropbox/DBRestClient.h"

#include "components/dropbox/DBConfiguration.h"
#include "components/dropbox/DBJSON.h"
#include "components/dropbox/DBLog.h"
#include "components/dropbox/MPOAuthURLRequest.h"
#include "components/dropbox/MPURLEscapingAdditions.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Strings.h"
#include "platform/net/URLError.h"

#include <QLocale>
#include <algorithm>

std::unique_ptr<DBRestClient> DBRestClient::create(std::shared_ptr<DBSession> session,
                                                   std::optional<std::string> userId) {
    if (!session) {
        DBLogError("DropboxSDK: cannot initialize a DBRestClient with a nil session");
        return nullptr;
    }
    return std::unique_ptr<DBRestClient>(new DBRestClient(std::move(session), std::move(userId)));
}

std::unique_ptr<DBRestClient> DBRestClient::create(std::shared_ptr<DBSession> session) {
    std::optional<std::string> userId;
    if (session && !session->userIds().empty()) userId = session->userIds().front();
    return create(std::move(session), std::move(userId));
}

DBRestClient::DBRestClient(std::shared_ptr<DBSession> session, std::optional<std::string> userId)
    : session_(std::move(session)), userId_(std::move(userId)), root_(session_->root()) {}

DBRestClient::~DBRestClient() { cancelAllRequests(); }

MPOAuthCredentialConcreteStore* DBRestClient::credentialStore() const {
    return session_->credentialStoreForUserId(userId_);
}

size_t DBRestClient::requestCount() const {
    return requests_.size() + loadRequests_.size() + imageLoadRequests_.size() + uploadRequests_.size();
}

void DBRestClient::cancelAllRequests() {
    for (const auto& request : requests_) request->cancel();
    for (const auto& [key, request] : loadRequests_) request->cancel();
    for (const auto& [key, request] : imageLoadRequests_) request->cancel();
    for (const auto& [key, request] : uploadRequests_) request->cancel();
    requests_.clear();
    loadRequests_.clear();
    imageLoadRequests_.clear();
    uploadRequests_.clear();
}

namespace {

void cancelKeyed(std::map<std::string, std::shared_ptr<DBRequest>>& requests, const std::string& key) {
    auto found = requests.find(key);
    if (found == requests.end()) return;
    found->second->cancel();
    requests.erase(found);
}

bool isRefusedPath(const std::string& path) {
    for (unsigned char c : path)
        if (c < 0x20 || c == 0x7f) return true;
    for (const std::string& component : foundation::split(path, '/'))
        if (component == "." || component == "..") return true;
    return false;
}

}  // namespace

void DBRestClient::cancelFileLoad(const std::string& path) { cancelKeyed(loadRequests_, path); }

void DBRestClient::cancelThumbnailLoad(const std::string& path, const std::string& size) {
    cancelKeyed(imageLoadRequests_, path + "##" + size);
}

void DBRestClient::cancelFileUpload(const std::string& destinationPath) {
    cancelKeyed(uploadRequests_, destinationPath);
}

std::string DBRestClient::escapePath(std::string_view path) {
    // "/" separates the components; "~" is escaped here, unlike in parameters.
    return MPURLEscapingAdditions::percentEscaped(path, "-._/");
}

std::string DBRestClient::bestLanguage() {
    static const std::string language = [] {
        QStringList preferred = QLocale::system().uiLanguages();
        if (!preferred.isEmpty()) {
            std::string first = preferred.front().toStdString();
            std::replace(first.begin(), first.end(), '-', '_');
            std::string strings = foundation::Bundle::main().resourcePath() + "/strings/" + first + ".lproj";
            if (::access(strings.c_str(), F_OK) == 0) return first;
        }
        return std::string("en");
    }();
    return language;
}

std::string DBRestClient::userAgent() {
    static const std::string agent = [] {
        std::string name = foundation::Bundle::main().displayName();
        std::erase_if(name, [](char c) { return c == ' ' || c == '\t'; });
        return name + "/" + foundation::Bundle::main().shortVersionString() + " OfficialDropboxIosSdk/" +
               DBConfiguration::kClientVersion;
    }();
    return agent;
}

std::optional<net::URLRequest> DBRestClient::requestWithHost(const std::string& host, const std::string& path,
                                                             const foundation::Dictionary& parameters,
                                                             const std::string& method) const {
    MPOAuthCredentialConcreteStore* store = credentialStore();
    if (!store) return std::nullopt;
    const std::string url =
        std::string(DBConfiguration::kProtocol) + "://" + host + "/" + DBConfiguration::kAPIVersion + escapePath(path);
    std::vector<MPURLRequestParameter> list = store->oauthParameters();
    if (!parameters.contains("locale")) list.emplace_back("locale", bestLanguage());
    for (const auto& [name, value] : parameters)
        list.emplace_back(name, value.isString() ? value.asString() : value.numberDescription());
    MPOAuthURLRequest oauthRequest(url, list);
    oauthRequest.setHTTPMethod(method);
    net::URLRequest request = oauthRequest.urlRequestSignedWithSecret(store->signingKey(), store->signatureMethod());
    request.timeoutInterval = DBConfiguration::current().timeoutSeconds;
    request.setValue(userAgent(), "User-Agent");
    return request;
}

std::optional<net::URLRequest> DBRestClient::signedContentPost(const std::string& path,
                                                               const foundation::Dictionary& parameters) const {
    MPOAuthCredentialConcreteStore* store = credentialStore();
    if (!store) return std::nullopt;
    const std::string url = std::string(DBConfiguration::kProtocol) + "://" + DBConfiguration::current().contentHost +
                            "/" + DBConfiguration::kAPIVersion + escapePath(path);
    std::vector<MPURLRequestParameter> list = store->oauthParameters();
    for (const auto& [name, value] : parameters) list.emplace_back(name, value.asString());
    MPURLRequestParameter::sortParameters(list);
    MPOAuthURLRequest oauthRequest(url, list);
    oauthRequest.setHTTPMethod("POST");
    const std::string text = MPURLRequestParameter::parameterStringForParameters(list);
    MPOAuthSignatureParameter signature(text, store->signingKey(), oauthRequest, store->signatureMethod());
    net::URLRequest request(url + "?" + text + "&" + signature.URLEncodedParameterString());
    request.httpMethod = "POST";
    request.setValue("application/octet-stream", "Content-Type");
    return request;
}

std::shared_ptr<DBRequest> DBRestClient::start(net::URLRequest request, foundation::Dictionary userInfo,
                                               Tracking tracking, const std::string& key, Handler handler,
                                               double timeout) {
    const DBConfiguration& configuration = DBConfiguration::current();
    request.anchorCertificates = configuration.rootCertificates;
    auto observer = life_.observer();
    auto dbRequest = DBRequest::create(
        std::move(request),
        [this, observer, tracking, key, handler = std::move(handler)](DBRequest& finished) {
            if (!observer.alive()) return;
            forget(finished, tracking, key);
            handler(finished);
        },
        timeout > 0 ? timeout : configuration.timeoutSeconds);
    dbRequest->setUserInfo(std::move(userInfo));
    auto moveAside = [&](std::map<std::string, std::shared_ptr<DBRequest>>& keyed) {
        // The request this one replaces keeps running: it stays reachable
        // for cancelAllRequests and the destructor.
        auto& slot = keyed[key];
        if (slot) requests_.insert(slot);
        slot = dbRequest;
    };
    switch (tracking) {
        case Tracking::Requests:
            requests_.insert(dbRequest);
            break;
        case Tracking::Loads:
            moveAside(loadRequests_);
            break;
        case Tracking::Thumbnails:
            moveAside(imageLoadRequests_);
            break;
        case Tracking::Uploads:
            moveAside(uploadRequests_);
            break;
    }
    return dbRequest;
}

void DBRestClient::forget(DBRequest& request, Tracking tracking, const std::string& key) {
    auto removeKeyed = [&](std::map<std::string, std::shared_ptr<DBRequest>>& keyed) {
        auto found = keyed.find(key);
        // Only when the entry still holds this request, not one that replaced it.
        if (found != keyed.end() && found->second.get() == &request) keyed.erase(found);
    };
    switch (tracking) {
        case Tracking::Requests:
            break;
        case Tracking::Loads:
            removeKeyed(loadRequests_);
            break;
        case Tracking::Thumbnails:
            removeKeyed(imageLoadRequests_);
            break;
        case Tracking::Uploads:
            removeKeyed(uploadRequests_);
            break;
    }
    std::erase_if(requests_, [&](const std::shared_ptr<DBRequest>& held) { return held.get() == &request; });
}

void DBRestClient::checkForAuthenticationFailure(const DBRequest& request) {
    const auto& error = request.error();
    if (!error || error->domain != DBClientErrorDomain || error->code != 401) return;
    if (DBSessionDelegate* delegate = session_->delegate())
        delegate->sessionDidReceiveAuthorizationFailure(*session_, userId_.value_or(""));
}

bool DBRestClient::acceptsPath(const std::string& path, const std::function<void(const foundation::Error&)>& fail) {
    if (!isRefusedPath(path)) return true;
    foundation::Error refused = net::urlError(net::kURLErrorBadURL);
    refused.userInfo = std::make_shared<foundation::Dictionary>(foundation::Dictionary{{"path", path}});
    DBLogWarning("DropboxSDK: refused a Dropbox path with \".\", \"..\" or control characters");
    fail(refused);
    return false;
}

std::shared_ptr<DBMetadata> DBRestClient::metadataFrom(const DBRequest& request) const {
    if (!request.xDropboxMetadataJSON()) return nullptr;
    return std::make_shared<DBMetadata>(*request.xDropboxMetadataJSON());
}

std::shared_ptr<DBRequest> DBRestClient::requestForCallbacks(DBRequest& request) const {
    return request.shared_from_this();
}

void DBRestClient::parseInBackground(std::shared_ptr<DBRequest> request,
                                     std::function<std::function<void()>(const foundation::Value& json)> parse,
                                     std::function<void(const foundation::Error&)> fail) {
    auto observer = life_.observer();
    foundation::DispatchQueue::global().async([observer, request, parse, fail] {
        std::function<void()> deliver;
        auto json = request->resultJSON();
        if (json) deliver = parse(*json);
        foundation::DispatchQueue::main().async([observer, request, deliver, fail] {
            if (!observer.alive()) return;
            if (deliver) {
                deliver();
                return;
            }
            DBLogWarning("DropboxSDK: error parsing metadata");
            foundation::Error invalid(DBClientErrorDomain, DBErrorInvalidResponse, "The answer is no metadata");
            invalid.userInfo = std::make_shared<foundation::Dictionary>(request->userInfo().copy());
            fail(invalid);
        });
    });
}
