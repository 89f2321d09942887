// The DBRestClient endpoints whose answer is one JSON value: file
// operations, revisions, links, search, account, chunked uploads and the
// desktop token flow.

#include "components/dropbox/DBConfiguration.h"
#include "components/dropbox/DBLog.h"
#include "components/dropbox/DBRestClient.h"
#include "components/dropbox/MPURLRequestParameter.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Paths.h"

#include <fcntl.h>
#include <unistd.h>

namespace {

using foundation::Dictionary;
using foundation::Value;
using Type = foundation::Value::Type;
using Metadata = std::shared_ptr<DBMetadata>;

constexpr size_t kChunkSize = size_t(2) << 20;

const std::string& apiHost() { return DBConfiguration::current().apiHost; }
const std::string& contentHost() { return DBConfiguration::current().contentHost; }

Metadata metadataOf(const Value& json) { return std::make_shared<DBMetadata>(json.asDictionary()); }

std::string stringIn(const Value& json, std::string_view key) {
    return json.isDictionary() ? json.asDictionary().get(key).stringValue().value_or("") : std::string();
}

}  // namespace

// One request whose 200 answer must be JSON of `type` (else 1004), with the
// 401 check when `reportsAuthorization`.
#define DB_JSON_ENDPOINT(HOST, PATH, PARAMS, METHOD, INFO, TYPE, REPORTS401, FAIL, SUCCEED) \
    do {                                                                                    \
        auto request_ = requestWithHost(HOST, PATH, PARAMS, METHOD);                        \
        if (!request_) return;                                                              \
        start(*request_, INFO, Tracking::Requests, {}, [=, this](DBRequest& done) {         \
            auto json = done.parseResponseAsType(TYPE);                                     \
            if (!json) {                                                                    \
                if (REPORTS401) checkForAuthenticationFailure(done);                        \
                if (delegate_) delegate_->FAIL(*this, *done.error());                       \
                return;                                                                     \
            }                                                                               \
            if (delegate_) SUCCEED;                                                         \
        });                                                                                 \
    } while (false)

void DBRestClient::uploadFileChunk(const std::optional<std::string>& uploadId, uint64_t offset,
                                   const std::string& fromPath) {
    Dictionary info{{"offset", Value(static_cast<unsigned long long>(offset))}, {"fromPath", fromPath}};
    if (uploadId) info.set("upload_id", Value(*uploadId));
    foundation::FileDescriptor file = foundation::FileDescriptor::open(fromPath, O_RDONLY | O_CLOEXEC);
    if (!file) {
        foundation::Error missing(DBClientErrorDomain, DBErrorFileNotFound, "File does not exist");
        missing.userInfo = std::make_shared<Dictionary>(info);
        if (delegate_)
            delegate_->restClientUploadFileChunkFailedWithError(*this, missing);
        else
            DBLogWarning("DropboxSDK: unable to read file in -[DBRestClient uploadFileChunk:offset:fromPath:]");
        return;
    }
    foundation::Bytes chunk(kChunkSize);
    ssize_t got = ::pread(file.get(), chunk.data(), chunk.size(), static_cast<off_t>(offset));
    chunk.resize(got > 0 ? static_cast<size_t>(got) : 0);
    if (chunk.empty()) DBLogWarning("DropboxSDK: did not read any data from file");

    Dictionary params{{"offset", std::to_string(offset)}};
    if (uploadId) params.set("upload_id", Value(*uploadId));
    auto request = signedContentPost("/chunked_upload", params);
    if (!request) return;
    request->setValue(std::to_string(chunk.size()), "Content-Length");
    request->setHTTPBody(std::move(chunk));
    start(std::move(*request), info, Tracking::Requests, {}, [this, fromPath](DBRequest& done) {
        auto json = done.parseResponseAsType(Type::Dictionary);
        if (!json) {
            if (delegate_) delegate_->restClientUploadFileChunkFailedWithError(*this, *done.error());
            return;
        }
        Dictionary answer = json->asDictionary();
        std::optional<foundation::Date> expires;
        if (auto text = answer.get("expires").stringValue()) expires = DBMetadata::parseDate(*text);
        if (delegate_)
            delegate_->restClientUploadedFileChunk(*this, answer.get("upload_id").stringValue().value_or(""),
                                                   answer.get("offset").asUInt(), fromPath, expires);
    });
}

void DBRestClient::uploadFileFromUploadId(const std::string& filename, const std::string& toPath,
                                          const std::optional<std::string>& parentRev, const std::string& uploadId) {
    std::string destination = toPath.ends_with("/") ? toPath : toPath + "/";
    destination += filename;
    Dictionary params{{"upload_id", uploadId}, {"overwrite", "false"}};
    if (parentRev) params.set("parent_rev", Value(*parentRev));
    Dictionary info{{"uploadId", uploadId}, {"destPath", destination}};
    if (parentRev) info.set("parentRev", Value(*parentRev));
    DB_JSON_ENDPOINT(
        contentHost(), "/commit_chunked_upload/" + root_ + destination, params, "POST", info, Type::Dictionary, false,
        restClientUploadFromUploadIdFailedWithError,
        delegate_->restClientUploadedFileFromUploadIdMetadata(*this, destination, uploadId, metadataOf(*json)));
}

void DBRestClient::loadRevisionsForFile(const std::string& path, long limit) {
    Dictionary params{{"rev_limit", std::to_string(limit)}};
    Dictionary info{{"path", path}, {"limit", Value(limit)}};
    std::vector<Metadata> (*listOf)(const Value&) = [](const Value& json) {
        std::vector<Metadata> list;
        for (const Value& entry : json.asArray())
            if (entry.isDictionary()) list.push_back(metadataOf(entry));
        return list;
    };
    DB_JSON_ENDPOINT(apiHost(), "/revisions/" + root_ + path, params, "GET", info, Type::Array, false,
                     restClientLoadRevisionsFailedWithError,
                     delegate_->restClientLoadedRevisionsForFile(*this, listOf(*json), path));
}

void DBRestClient::restoreFile(const std::string& path, const std::string& rev) {
    DB_JSON_ENDPOINT(apiHost(), "/restore/" + root_ + path, (Dictionary{{"rev", rev}}), "GET",
                     (Dictionary{{"path", path}, {"rev", rev}}), Type::Dictionary, false,
                     restClientRestoreFileFailedWithError, delegate_->restClientRestoredFile(*this, metadataOf(*json)));
}

void DBRestClient::moveFrom(const std::string& fromPath, const std::string& toPath) {
    Dictionary params{{"root", root_}, {"from_path", fromPath}, {"to_path", toPath}};
    DB_JSON_ENDPOINT(apiHost(), "/fileops/move", params, "POST", params, Type::Dictionary, true,
                     restClientMovePathFailedWithError,
                     delegate_->restClientMovedPathTo(*this, fromPath, metadataOf(*json)));
}

void DBRestClient::copyFrom(const std::string& fromPath, const std::string& toPath) {
    Dictionary params{{"root", root_}, {"from_path", fromPath}, {"to_path", toPath}};
    DB_JSON_ENDPOINT(apiHost(), "/fileops/copy", params, "POST", params, Type::Dictionary, true,
                     restClientCopyPathFailedWithError,
                     delegate_->restClientCopiedPathTo(*this, fromPath, metadataOf(*json)));
}

void DBRestClient::createCopyRef(const std::string& path) {
    DB_JSON_ENDPOINT(apiHost(), "/copy_ref/" + root_ + path, Dictionary(), "POST", (Dictionary{{"path", path}}),
                     Type::Dictionary, true, restClientCreateCopyRefFailedWithError,
                     delegate_->restClientCreatedCopyRefForPath(*this, stringIn(*json, "copy_ref"), path));
}

void DBRestClient::copyFromRef(const std::string& copyRef, const std::string& toPath) {
    Dictionary params{{"from_copy_ref", copyRef}, {"root", root_}, {"to_path", toPath}};
    DB_JSON_ENDPOINT(apiHost(), "/fileops/copy/", params, "POST", params, Type::Dictionary, true,
                     restClientCopyFromRefFailedWithError,
                     delegate_->restClientCopiedRefTo(*this, copyRef, metadataOf(*json)));
}

void DBRestClient::deletePath(const std::string& path) {
    Dictionary params{{"root", root_}, {"path", path}};
    DB_JSON_ENDPOINT(apiHost(), "/fileops/delete", params, "POST", params, Type::Dictionary, true,
                     restClientDeletePathFailedWithError, delegate_->restClientDeletedPath(*this, path));
}

void DBRestClient::createFolder(const std::string& path) {
    Dictionary params{{"root", root_}, {"path", path}};
    DB_JSON_ENDPOINT(apiHost(), "/fileops/create_folder", params, "POST", params, Type::Dictionary, true,
                     restClientCreateFolderFailedWithError,
                     delegate_->restClientCreatedFolder(*this, metadataOf(*json)));
}

void DBRestClient::loadAccountInfo() {
    DB_JSON_ENDPOINT(apiHost(), "/account/info", Dictionary(), "GET", (Dictionary{{"root", root_}}), Type::Dictionary,
                     true, restClientLoadAccountInfoFailedWithError,
                     delegate_->restClientLoadedAccountInfo(*this, DBAccountInfo(json->asDictionary())));
}

void DBRestClient::searchPath(const std::string& path, const std::string& keyword) {
    Dictionary params{{"query", keyword}};
    auto request = requestWithHost(apiHost(), "/search/" + root_ + path, params);
    if (!request) return;
    start(*request, Dictionary{{"path", path}, {"keyword", keyword}}, Tracking::Requests, {},
          [this, path, keyword](DBRequest& done) {
              if (done.error()) {
                  checkForAuthenticationFailure(done);
                  if (delegate_) delegate_->restClientSearchFailedWithError(*this, *done.error());
                  return;
              }
              auto json = done.resultJSON();
              std::optional<std::vector<Metadata>> results;
              if (json && json->isArray()) {
                  results.emplace();
                  for (const Value& entry : json->asArray())
                      if (entry.isDictionary()) results->push_back(metadataOf(entry));
              }
              if (delegate_)
                  delegate_->restClientLoadedSearchResultsForPathKeyword(*this, results ? &*results : nullptr, path,
                                                                         keyword);
          });
}

void DBRestClient::loadSharableLinkForFile(const std::string& path, bool shortUrl) {
    DB_JSON_ENDPOINT(apiHost(), "/shares/" + root_ + path, (Dictionary{{"short_url", shortUrl ? "true" : "false"}}),
                     "GET", (Dictionary{{"path", path}}), Type::Dictionary, true,
                     restClientLoadSharableLinkFailedWithError,
                     delegate_->restClientLoadedSharableLinkForFile(*this, stringIn(*json, "url"), path));
}

void DBRestClient::loadStreamableURLForFile(const std::string& path) {
    DB_JSON_ENDPOINT(apiHost(), "/media/" + root_ + path, Dictionary(), "GET", (Dictionary{{"path", path}}),
                     Type::Dictionary, true, restClientLoadStreamableURLFailedWithError,
                     delegate_->restClientLoadedStreamableURLForFile(*this, stringIn(*json, "url"), path));
}

namespace {

struct TokenAnswer {
    std::optional<std::string> token, secret, userId;
};

// "oauth_token=…&oauth_token_secret=…&uid=…"; a malformed part ends the parse.
TokenAnswer parseTokenAnswer(const std::string& body) {
    TokenAnswer answer;
    size_t at = 0;
    while (at <= body.size() && !body.empty()) {
        size_t end = body.find('&', at);
        if (end == std::string::npos) end = body.size();
        std::string part = body.substr(at, end - at);
        size_t equals = part.find('=');
        if (equals == std::string::npos || part.find('=', equals + 1) != std::string::npos) {
            DBLogError("DBRestClient+OSX: error parsing oauth result");
            break;
        }
        std::string name = part.substr(0, equals), value = part.substr(equals + 1);
        if (name == "oauth_token")
            answer.token = value;
        else if (name == "oauth_token_secret")
            answer.secret = value;
        else if (name == "uid")
            answer.userId = value;
        else
            DBLogError("DBRestClient+Dropbox: unknown parameter received");
        at = end + 1;
    }
    return answer;
}

}  // namespace

void DBRestClient::loadRequestToken() {
    auto request = requestWithHost(apiHost(), "/oauth/request_token", Dictionary());
    if (!request) return;
    start(*request, Dictionary(), Tracking::Requests, {}, [this](DBRequest& done) {
        if (done.error()) {
            if (delegate_) delegate_->restClientLoadRequestTokenFailedWithError(*this, *done.error());
            return;
        }
        TokenAnswer answer = parseTokenAnswer(done.resultString());
        if (MPOAuthCredentialConcreteStore* store = credentialStore()) {
            store->setRequestToken(answer.token);
            store->setRequestTokenSecret(answer.secret);
        }
        if (delegate_) delegate_->restClientLoadedRequestToken(*this);
    });
}

bool DBRestClient::requestTokenLoaded() const {
    MPOAuthCredentialConcreteStore* store = credentialStore();
    return store && store->requestToken();
}

std::optional<std::string> DBRestClient::authorizeURL() const {
    MPOAuthCredentialConcreteStore* store = credentialStore();
    if (!store || !store->requestToken()) {
        DBLogError("DBRestClient: You must get a request token before creating the authorize url");
        return std::nullopt;
    }
    return std::string(DBConfiguration::kProtocol) + "://" + DBConfiguration::current().webHost + "/" +
           DBConfiguration::kAPIVersion + "/oauth/authorize?oauth_token=" + *store->requestToken() +
           "&osx_protocol=db-" + store->consumerKey() + "&embedded=1";
}

void DBRestClient::loadAccessToken() {
    if (!requestTokenLoaded()) {
        DBLogError("DBRestClient: You must get a request token and authorize it before getting an access token");
        return;
    }
    auto request = requestWithHost(apiHost(), "/oauth/access_token", Dictionary());
    if (!request) return;
    start(*request, Dictionary(), Tracking::Requests, {}, [this](DBRequest& done) {
        MPOAuthCredentialConcreteStore* store = credentialStore();
        if (done.error()) {
            int64_t code = done.error()->code;
            if (store && done.error()->domain == DBClientErrorDomain && (code == 401 || code == 403)) {
                store->setRequestToken(std::nullopt);
                store->setRequestTokenSecret(std::nullopt);
            }
            if (delegate_) delegate_->restClientLoadAccessTokenFailedWithError(*this, *done.error());
            return;
        }
        if (store) {
            store->setRequestToken(std::nullopt);
            store->setRequestTokenSecret(std::nullopt);
        }
        TokenAnswer answer = parseTokenAnswer(done.resultString());
        if (answer.token && answer.secret && answer.userId) {
            session_->updateAccessToken(*answer.token, *answer.secret, *answer.userId);
            if (!userId_) userId_ = answer.userId;
        }
        if (delegate_) delegate_->restClientLoadedAccessToken(*this);
    });
}
