#pragma once

// The application's handle on the Dropbox REST API (version "1"), bound to a
// session and one linked user. Each operation signs one request with that
// user's tokens, runs it as a DBRequest tracked here (so it can be
// cancelled), and hands the answer to the delegate as records. Operations
// and callbacks run on the main thread.
//
// Dropbox paths begin with "/"; one with "." or ".." components or control
// characters is refused with a URL error (-1000) before any request.

#include "components/dropbox/DBRequest.h"
#include "components/dropbox/DBRestClientDelegate.h"
#include "components/dropbox/DBSession.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Lifetime.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

class DBRestClient {
public:
    // Null without a session (logged).
    static std::unique_ptr<DBRestClient> create(std::shared_ptr<DBSession> session, std::optional<std::string> userId);
    // The session's first linked user.
    static std::unique_ptr<DBRestClient> create(std::shared_ptr<DBSession> session);
    ~DBRestClient();

    void setDelegate(DBRestClientDelegate* delegate) { delegate_ = delegate; }
    DBRestClientDelegate* delegate() const { return delegate_; }
    const std::optional<std::string>& userId() const { return userId_; }
    MPOAuthCredentialConcreteStore* credentialStore() const;
    size_t requestCount() const;
    void cancelAllRequests();
    void cancelFileLoad(const std::string& path);
    void cancelThumbnailLoad(const std::string& path, const std::string& size);
    void cancelFileUpload(const std::string& destinationPath);

    void loadMetadata(const std::string& path, const foundation::Dictionary& params = {});
    void loadMetadataWithHash(const std::string& path, const std::string& hash);
    void loadMetadataAtRev(const std::string& path, const std::string& rev);
    void loadDelta(const std::optional<std::string>& cursor);
    void loadFile(const std::string& path, const std::optional<std::string>& rev, const std::string& destPath);
    void loadThumbnail(const std::string& path, const std::string& size, const std::string& destPath);
    void uploadFile(const std::string& filename, const std::string& toPath, const std::optional<std::string>& parentRev,
                    const std::string& fromPath);
    // The same upload from a file already open, read from its start whatever
    // its name is by then; `fromPath` only names it to the delegate.
    void uploadFile(const std::string& filename, const std::string& toPath, const std::optional<std::string>& parentRev,
                    const std::string& fromPath, std::shared_ptr<const foundation::FileDescriptor> opened);
    // Sends no parameters of its own: the server's default applies.
    void uploadFile(const std::string& filename, const std::string& toPath, const std::string& fromPath);
    void uploadFileChunk(const std::optional<std::string>& uploadId, uint64_t offset, const std::string& fromPath);
    void uploadFileFromUploadId(const std::string& filename, const std::string& toPath,
                                const std::optional<std::string>& parentRev, const std::string& uploadId);
    void loadRevisionsForFile(const std::string& path, long limit = 10);
    void restoreFile(const std::string& path, const std::string& rev);
    void moveFrom(const std::string& fromPath, const std::string& toPath);
    void copyFrom(const std::string& fromPath, const std::string& toPath);
    void createCopyRef(const std::string& path);
    void copyFromRef(const std::string& copyRef, const std::string& toPath);
    void deletePath(const std::string& path);
    void createFolder(const std::string& path);
    void loadAccountInfo();
    void searchPath(const std::string& path, const std::string& keyword);
    void loadSharableLinkForFile(const std::string& path, bool shortUrl = true);
    void loadStreamableURLForFile(const std::string& path);

    // The desktop token flow.
    void loadRequestToken();
    bool requestTokenLoaded() const;
    std::optional<std::string> authorizeURL() const;
    void loadAccessToken();

    static std::string escapePath(std::string_view path);
    static std::string bestLanguage();
    static std::string userAgent();
    // A signed request; "locale" added unless given. Method GET or POST.
    std::optional<net::URLRequest> requestWithHost(const std::string& host, const std::string& path,
                                                   const foundation::Dictionary& parameters,
                                                   const std::string& method = "GET") const;

private:
    // A POST to the content host whose signed parameters travel in the
    // query, leaving the body to the file data; no locale, no User-Agent.
    std::optional<net::URLRequest> signedContentPost(const std::string& path,
                                                     const foundation::Dictionary& parameters) const;

    void uploadFileWithParameters(const std::string& filename, const std::string& toPath,
                                  const foundation::Dictionary& params, const std::string& fromPath,
                                  std::shared_ptr<const foundation::FileDescriptor> opened = nullptr);

    enum class Tracking { Requests, Loads, Thumbnails, Uploads };
    using Handler = std::function<void(DBRequest&)>;

    DBRestClient(std::shared_ptr<DBSession> session, std::optional<std::string> userId);
    // Starts a request and tracks it; `key` for the keyed collections.
    std::shared_ptr<DBRequest> start(net::URLRequest request, foundation::Dictionary userInfo, Tracking tracking,
                                     const std::string& key, Handler handler, double timeout = 0);
    void forget(DBRequest& request, Tracking tracking, const std::string& key);
    void checkForAuthenticationFailure(const DBRequest& request);
    // A path refused before any request: false, after the failure callback.
    bool acceptsPath(const std::string& path, const std::function<void(const foundation::Error&)>& fail);
    std::shared_ptr<DBMetadata> metadataFrom(const DBRequest& request) const;
    void parseInBackground(std::shared_ptr<DBRequest> request,
                           std::function<std::function<void()>(const foundation::Value& json)> parse,
                           std::function<void(const foundation::Error&)> fail);
    std::shared_ptr<DBRequest> requestForCallbacks(DBRequest& request) const;

    std::shared_ptr<DBSession> session_;
    std::optional<std::string> userId_;
    std::string root_;
    std::set<std::shared_ptr<DBRequest>> requests_;
    std::map<std::string, std::shared_ptr<DBRequest>> loadRequests_;
    std::map<std::string, std::shared_ptr<DBRequest>> imageLoadRequests_;
    std::map<std::string, std::shared_ptr<DBRequest>> uploadRequests_;
    DBRestClientDelegate* delegate_ = nullptr;
    foundation::LifeToken life_;
};
