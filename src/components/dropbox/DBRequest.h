#pragma once

// One HTTPS exchange with the Dropbox servers: started when created, the
// body collected in memory or streamed into a file beside its destination,
// progress both ways, the chain checked against the configured roots only,
// every failure an Error, and exactly one completion (none after cancel).
//
// The caller sets the callbacks, userInfo, sourcePath and resultFilename
// right after create(): the connection's first event comes through the main
// run loop later.

#include "platform/foundation/Error.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Timer.h"
#include "platform/foundation/Value.h"
#include "platform/net/StreamingURLConnection.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

inline constexpr const char* DBClientErrorDomain = "dropbox.com";

enum DBClientErrorCode : int64_t {
    DBErrorGenericError = 1000,  // a downloaded file's size differs from the announced one
    DBErrorFileNotFound = 1001,
    DBErrorInsufficientDiskSpace = 1002,
    DBErrorIllegalFileType = 1003,
    DBErrorInvalidResponse = 1004,
};

class DBRequest : public net::StreamingURLConnectionDelegate, public std::enable_shared_from_this<DBRequest> {
public:
    using Callback = std::function<void(DBRequest&)>;

    // Bodies kept in memory (JSON answers, error texts) stop at this size.
    static constexpr int64_t kMaximumMemoryBody = int64_t(64) << 20;

    // The public roots the service's chains end in (DER), decoded once from
    // the texts generated at build time; texts that do not decode are left
    // out with a log line.
    static const std::vector<foundation::Bytes>& rootCertificates();

    static std::shared_ptr<DBRequest> create(net::URLRequest request, Callback completion, double idleTimeoutSeconds);
    ~DBRequest() override;

    void cancel();

    void setFailureCallback(Callback callback) { failure_ = std::move(callback); }
    void setDownloadProgressCallback(Callback callback) { downloadProgressCallback_ = std::move(callback); }
    void setUploadProgressCallback(Callback callback) { uploadProgressCallback_ = std::move(callback); }
    void setUserInfo(foundation::Dictionary userInfo) { userInfo_ = std::move(userInfo); }
    void setSourcePath(std::string path) { sourcePath_ = std::move(path); }
    void setResultFilename(std::string path) { resultFilename_ = std::move(path); }

    const net::URLRequest& request() const { return request_; }
    const std::optional<net::HTTPURLResponse>& response() const { return response_; }
    const foundation::Dictionary& userInfo() const { return userInfo_; }
    const std::string& sourcePath() const { return sourcePath_; }
    const std::string& resultFilename() const { return resultFilename_; }
    const std::optional<foundation::Dictionary>& xDropboxMetadataJSON() const { return metadataJSON_; }
    double downloadProgress() const { return downloadProgress_; }
    double uploadProgress() const { return uploadProgress_; }
    const foundation::Bytes& resultData() const { return resultData_; }
    const std::optional<foundation::Error>& error() const { return error_; }
    int statusCode() const { return response_ ? response_->statusCode : 0; }
    int64_t responseBodySize() const;

    std::string resultString() const { return std::string(resultData_.begin(), resultData_.end()); }
    std::optional<foundation::Value> resultJSON() const;
    // The JSON body when it is of `type`; otherwise sets error 1004.
    std::optional<foundation::Value> parseResponseAsType(foundation::Value::Type type);

    // The user-info keys of an error that carry a server's text.
    static constexpr const char* kErrorMessageKey = "errorMessage";

private:
    DBRequest(net::URLRequest request, Callback completion, double idleTimeoutSeconds);
    void start();

    void connectionDidReceiveResponse(net::StreamingURLConnection&, const net::HTTPURLResponse& response) override;
    void connectionDidReceiveData(net::StreamingURLConnection&, const foundation::Bytes& data) override;
    void connectionDidFinishLoading(net::StreamingURLConnection&) override;
    void connectionDidFailWithError(net::StreamingURLConnection&, const foundation::Error& error) override;
    bool connectionHandlesRedirects() const override { return true; }
    std::optional<net::URLRequest> connectionWillSendRequest(net::StreamingURLConnection&,
                                                             const net::URLRequest& proposed,
                                                             const net::HTTPURLResponse& redirectResponse) override;
    void connectionDidSendBodyData(net::StreamingURLConnection&, int64_t bytesWritten, int64_t totalBytesWritten,
                                   int64_t totalBytesExpectedToWrite) override;

    bool downloadsToFile() const { return !resultFilename_.empty() && statusCode() == 200; }
    void restartIdleTimer();
    void setError(foundation::Error error);
    foundation::Error withUserInfo(const foundation::Error& error) const;
    // Ends the exchange with `error`: stops the connection, removes the
    // temporary file, calls the failure callback.
    void failWith(foundation::Error error);
    void removeTemporaryFile();
    void finish();

    net::URLRequest request_;
    Callback completion_;
    Callback failure_;
    Callback downloadProgressCallback_;
    Callback uploadProgressCallback_;
    double idleTimeoutSeconds_;
    std::shared_ptr<net::StreamingURLConnection> connection_;
    foundation::TimerHandle idleTimer_;
    bool ended_ = false;

    std::string resultFilename_;
    std::string tempFilename_;
    foundation::FileDescriptor tempFile_;
    foundation::Dictionary userInfo_;
    std::string sourcePath_;
    std::optional<net::HTTPURLResponse> response_;
    std::optional<foundation::Dictionary> metadataJSON_;
    int64_t bytesDownloaded_ = 0;
    double downloadProgress_ = 0;
    double uploadProgress_ = 0;
    foundation::Bytes resultData_;
    std::optional<foundation::Error> error_;
};

// The error's user info: the request's entries; for HTTP errors also the
// server's JSON fields (the request's own keys win) or its text under
// "errorMessage". Errors carry no query, token or secret.
const foundation::Dictionary& DBErrorUserInfo(const foundation::Error& error);
