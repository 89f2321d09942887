// The endpoints of DBRestClient: one signed request each, its tracking and
// the callbacks its answer leads to.

#include "components/dropbox/DBConfiguration.h"
#include "components/dropbox/DBLog.h"
#include "components/dropbox/DBRestClient.h"
#include "components/dropbox/MPURLEscapingAdditions.h"
#include "platform/foundation/Paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using foundation::Dictionary;
using foundation::Value;
using Type = foundation::Value::Type;

const std::string& apiHost() { return DBConfiguration::current().apiHost; }
const std::string& contentHost() { return DBConfiguration::current().contentHost; }

}  // namespace

void DBRestClient::loadMetadata(const std::string& path, const Dictionary& params) {
    auto fail = [this](const foundation::Error& error) {
        if (delegate_) delegate_->restClientLoadMetadataFailedWithError(*this, error);
    };
    if (!acceptsPath(path, fail)) return;
    auto request = requestWithHost(apiHost(), "/metadata/" + root_ + path, params);
    if (!request) return;
    start(*request, Dictionary{{"path", path}}, Tracking::Requests, {}, [this, path, fail](DBRequest& done) {
        if (const auto& error = done.error()) {
            if (error->domain == DBClientErrorDomain && error->code == 304) {
                if (delegate_) delegate_->restClientMetadataUnchangedAtPath(*this, path);
                return;
            }
            checkForAuthenticationFailure(done);
            fail(*error);
            return;
        }
        parseInBackground(
            requestForCallbacks(done),
            [this](const Value& json) -> std::function<void()> {
                if (!json.isDictionary()) return nullptr;
                auto metadata = std::make_shared<DBMetadata>(json.asDictionary());
                return [this, metadata] {
                    if (delegate_) delegate_->restClientLoadedMetadata(*this, metadata);
                };
            },
            fail);
    });
}

void DBRestClient::loadMetadataWithHash(const std::string& path, const std::string& hash) {
    loadMetadata(path, Dictionary{{"hash", hash}});
}

void DBRestClient::loadMetadataAtRev(const std::string& path, const std::string& rev) {
    loadMetadata(path, Dictionary{{"rev", rev}});
}

void DBRestClient::loadDelta(const std::optional<std::string>& cursor) {
    Dictionary params;
    if (cursor) params.set("cursor", Value(*cursor));
    auto request = requestWithHost(apiHost(), "/delta", params, "POST");
    if (!request) return;
    auto fail = [this](const foundation::Error& error) {
        if (delegate_) delegate_->restClientLoadDeltaFailedWithError(*this, error);
    };
    start(*request, params, Tracking::Requests, {}, [this, fail](DBRequest& done) {
        if (done.error()) {
            checkForAuthenticationFailure(done);
            fail(*done.error());
            return;
        }
        parseInBackground(
            requestForCallbacks(done),
            [this](const Value& json) -> std::function<void()> {
                if (!json.isDictionary()) return nullptr;
                Dictionary answer = json.asDictionary();
                std::vector<DBDeltaEntry> entries;
                if (answer.get("entries").isArray())
                    for (const Value& entry : answer.get("entries").asArray())
                        if (entry.isArray())
                            if (auto made = DBDeltaEntry::fromArray(entry.asArray())) entries.push_back(*made);
                bool reset = answer.get("reset").asBool(), hasMore = answer.get("has_more").asBool();
                std::string cursor = answer.get("cursor").stringValue().value_or("");
                return [this, entries, reset, cursor, hasMore] {
                    if (delegate_) delegate_->restClientLoadedDeltaEntries(*this, entries, reset, cursor, hasMore);
                };
            },
            fail);
    });
}

void DBRestClient::loadFile(const std::string& path, const std::optional<std::string>& rev,
                            const std::string& destPath) {
    auto fail = [this](const foundation::Error& error) {
        if (delegate_) delegate_->restClientLoadFileFailedWithError(*this, error);
    };
    if (!acceptsPath(path, fail)) return;
    Dictionary params;
    if (rev) params.set("rev", Value(*rev));
    auto request = requestWithHost(contentHost(), "/files/" + root_ + path, params);
    if (!request) return;
    Dictionary info{{"path", path}, {"destinationPath", destPath}};
    if (rev) info.set("rev", Value(*rev));
    auto started = start(*request, info, Tracking::Loads, path, [this, destPath, fail](DBRequest& done) {
        if (done.error()) {
            checkForAuthenticationFailure(done);
            fail(*done.error());
            return;
        }
        if (!delegate_) return;
        std::string contentType = done.response()->valueForHTTPHeaderField("Content-Type").value_or("");
        delegate_->restClientLoadedFileContentTypeMetadata(*this, destPath, contentType, metadataFrom(done));
        delegate_->restClientLoadedFileContentTypeETag(*this, destPath, contentType,
                                                       done.response()->valueForHTTPHeaderField("Etag").value_or(""));
    });
    started->setResultFilename(destPath);
    started->setDownloadProgressCallback([this, destPath](DBRequest& running) {
        if (delegate_) delegate_->restClientLoadProgressForFile(*this, running.downloadProgress(), destPath);
    });
}

void DBRestClient::loadThumbnail(const std::string& path, const std::string& size, const std::string& destPath) {
    auto fail = [this](const foundation::Error& error) {
        if (delegate_) delegate_->restClientLoadThumbnailFailedWithError(*this, error);
    };
    if (!acceptsPath(path, fail)) return;
    std::string upper = path.size() >= 5 ? path.substr(path.size() - 4) : std::string();
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    Dictionary params{{"format", upper == ".PNG" || upper == ".GIF" ? "PNG" : "JPEG"}};
    if (!size.empty()) params.set("size", Value(size));
    auto request = requestWithHost(contentHost(), "/thumbnails/" + root_ + path, params);
    if (!request) return;
    Dictionary info{{"root", root_}, {"path", path}, {"destinationPath", destPath}, {"size", size}};
    auto started =
        start(*request, info, Tracking::Thumbnails, path + "##" + size, [this, destPath, fail](DBRequest& done) {
            if (done.error()) {
                checkForAuthenticationFailure(done);
                fail(*done.error());
                return;
            }
            if (delegate_) delegate_->restClientLoadedThumbnailMetadata(*this, destPath, metadataFrom(done));
        });
    started->setResultFilename(destPath);
}

void DBRestClient::uploadFile(const std::string& filename, const std::string& toPath,
                              const std::optional<std::string>& parentRev, const std::string& fromPath) {
    uploadFile(filename, toPath, parentRev, fromPath, nullptr);
}

void DBRestClient::uploadFile(const std::string& filename, const std::string& toPath,
                              const std::optional<std::string>& parentRev, const std::string& fromPath,
                              std::shared_ptr<const foundation::FileDescriptor> opened) {
    Dictionary params{{"overwrite", "false"}};
    if (parentRev) params.set("parent_rev", Value(*parentRev));
    uploadFileWithParameters(filename, toPath, params, fromPath, std::move(opened));
}

void DBRestClient::uploadFileWithParameters(const std::string& filename, const std::string& toPath,
                                            const Dictionary& params, const std::string& fromPath,
                                            std::shared_ptr<const foundation::FileDescriptor> opened) {
    const std::string destPath = foundation::path::appending(toPath, filename);
    auto fail = [this](const foundation::Error& error) {
        if (delegate_) delegate_->restClientUploadFileFailedWithError(*this, error);
    };
    struct stat info {};
    const bool exists = opened ? ::fstat(opened->get(), &info) == 0 : ::stat(fromPath.c_str(), &info) == 0;
    if (!exists || S_ISDIR(info.st_mode)) {
        const bool folder = exists;
        foundation::Error refused(DBClientErrorDomain, folder ? DBErrorIllegalFileType : DBErrorFileNotFound,
                                  folder ? "Unable to upload folders" : "File does not exist");
        refused.userInfo =
            std::make_shared<Dictionary>(Dictionary{{"sourcePath", fromPath}, {"destinationPath", destPath}});
        DBLogWarning("DropboxSDK: " + refused.description + " (" + fromPath + ")");
        fail(refused);
        return;
    }
    if (!acceptsPath(destPath, fail)) return;
    auto request = signedContentPost("/files_put/" + root_ + destPath, params);
    if (!request) return;
    request->setValue(std::to_string(static_cast<uint64_t>(info.st_size)), "Content-Length");
    request->httpBodyFile = net::URLRequestBodyFile{fromPath, 0, static_cast<uint64_t>(info.st_size), std::move(opened)};

    Dictionary userInfo{{"sourcePath", fromPath}, {"destinationPath", destPath}};
    auto started = start(
        std::move(*request), userInfo, Tracking::Uploads, destPath,
        [this, destPath, fromPath, fail](DBRequest& done) {
            auto json = done.parseResponseAsType(Type::Dictionary);
            if (!json) {
                checkForAuthenticationFailure(done);
                fail(*done.error());
                return;
            }
            if (delegate_)
                delegate_->restClientUploadedFileFromMetadata(*this, destPath, fromPath,
                                                              std::make_shared<DBMetadata>(json->asDictionary()));
        },
        DBConfiguration::current().uploadTimeoutSeconds);
    started->setSourcePath(fromPath);
    started->setUploadProgressCallback([this, destPath, fromPath](DBRequest& running) {
        if (delegate_)
            delegate_->restClientUploadProgressForFileFrom(*this, running.uploadProgress(), destPath, fromPath);
    });
}

void DBRestClient::uploadFile(const std::string& filename, const std::string& toPath, const std::string& fromPath) {
    uploadFileWithParameters(filename, toPath, Dictionary(), fromPath);
}
