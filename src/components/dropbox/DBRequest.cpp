#include "components/dropbox/DBRequest.h"

#include "components/dropbox/DBBase64.h"
#include "components/dropbox/DBJSON.h"
#include "components/dropbox/DBLog.h"
#include "components/dropbox/MPURLEscapingAdditions.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/URLError.h"
#include "platform/net/URLParsing.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

foundation::Error clientError(int64_t code, const std::string& description) {
    return foundation::Error(DBClientErrorDomain, code, description);
}

bool isCertificateFailure(const foundation::Error& error) {
    return error.domain == net::kURLErrorDomain && (error.code == net::kURLErrorServerCertificateUntrusted ||
                                                    error.code == net::kURLErrorSecureConnectionFailed);
}

const foundation::Dictionary& emptyDictionary() {
    static const foundation::Dictionary empty;
    return empty;
}

}  // namespace

extern const char* const kDBRootCertificateTexts[];
extern const size_t kDBRootCertificateCount;

const std::vector<foundation::Bytes>& DBRequest::rootCertificates() {
    static const std::vector<foundation::Bytes> certificates = [] {
        std::vector<foundation::Bytes> decoded;
        for (size_t i = 0; i < kDBRootCertificateCount; ++i) {
            const char* text = kDBRootCertificateTexts[i];
            const size_t length = ::strnlen(text, 10000);
            foundation::Bytes bytes(static_cast<size_t>(base64DecodedSizeEstimate(length)));
            size_t written = bytes.size();
            if (!base64DecodeBytes(text, length, bytes.data(), &written) || written == 0) {
                DBLogError("Root certificate base64 decoding failed!");
                continue;
            }
            bytes.resize(written);
            decoded.push_back(std::move(bytes));
        }
        return decoded;
    }();
    return certificates;
}

const foundation::Dictionary& DBErrorUserInfo(const foundation::Error& error) {
    return error.userInfo ? *error.userInfo : emptyDictionary();
}

std::shared_ptr<DBRequest> DBRequest::create(net::URLRequest request, Callback completion, double idleTimeoutSeconds) {
    std::shared_ptr<DBRequest> created(new DBRequest(std::move(request), std::move(completion), idleTimeoutSeconds));
    created->start();
    return created;
}

DBRequest::DBRequest(net::URLRequest request, Callback completion, double idleTimeoutSeconds)
    : request_(std::move(request)), completion_(std::move(completion)), idleTimeoutSeconds_(idleTimeoutSeconds) {}

DBRequest::~DBRequest() {
    if (idleTimer_) idleTimer_->invalidate();
    removeTemporaryFile();
}

void DBRequest::start() {
    // The transport's own idle limit stays out of the way; the run loop's
    // clock decides (restartIdleTimer).
    request_.timeoutInterval = std::max(request_.timeoutInterval, 24.0 * 3600);
    connection_ = net::StreamingURLConnection::create(request_, shared_from_this());
    connection_->start();
    restartIdleTimer();
}

void DBRequest::restartIdleTimer() {
    if (idleTimer_) idleTimer_->invalidate();
    if (ended_ || idleTimeoutSeconds_ <= 0) return;
    std::weak_ptr<DBRequest> weak = weak_from_this();
    idleTimer_ = foundation::RunLoop::main().scheduleTimer(idleTimeoutSeconds_, false, [weak](foundation::Timer&) {
        auto self = weak.lock();
        if (!self || self->ended_) return;
        std::string host = MPURLParameterAdditions::hostOf(self->request_.url);
        self->failWith(net::urlError(net::kURLErrorTimedOut, host));
    });
}

int64_t DBRequest::responseBodySize() const {
    if (response_) {
        int64_t length = response_->expectedContentLength();
        if (length > 0) return length;
    }
    if (metadataJSON_ && metadataJSON_->contains("bytes")) return metadataJSON_->get("bytes").asInt(0);
    return 0;
}

std::optional<net::URLRequest> DBRequest::connectionWillSendRequest(net::StreamingURLConnection&,
                                                                    const net::URLRequest& proposed,
                                                                    const net::HTTPURLResponse&) {
    // A signed request carries its tokens in the query or body: it follows a
    // redirect only within its own origin.
    auto from = net::originOfURL(request_.url);
    auto to = net::originOfURL(proposed.url);
    if (!from || !to || !(*from == *to)) return std::nullopt;
    return proposed;
}

void DBRequest::connectionDidReceiveResponse(net::StreamingURLConnection&, const net::HTTPURLResponse& response) {
    if (ended_) return;
    restartIdleTimer();
    response_ = response;
    metadataJSON_.reset();
    if (auto header = response.valueForHTTPHeaderField("X-Dropbox-Metadata")) {
        auto parsed = sbjson::NSString_SBJSON::JSONValue(*header);
        if (parsed && parsed->isDictionary()) metadataJSON_ = parsed->asDictionary();
    }
    const int64_t announced = response.expectedContentLength();
    if (!downloadsToFile()) {
        if (announced > kMaximumMemoryBody)
            failWith(
                net::urlError(net::kURLErrorDataLengthExceedsMaximum, MPURLParameterAdditions::hostOf(request_.url)));
        return;
    }
    // The temporary file sits beside the destination, so the final rename
    // never crosses file systems, and only the owner can read it.
    const std::string folder = foundation::path::deletingLastComponent(resultFilename_);
    std::string pattern = foundation::path::appending(
        folder.empty() ? "." : folder, "." + foundation::path::lastComponent(resultFilename_) + ".download-XXXXXX");
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        int code = errno;
        DBLogError("DBRequest#connection:didReceiveData: Error creating temp file: (" + std::to_string(code) + ") " +
                   std::strerror(code));
        failWith(clientError(DBErrorInsufficientDiskSpace, "Cannot create the download file"));
        return;
    }
    tempFile_ = foundation::FileDescriptor(fd);
    tempFilename_ = pattern;
    const int64_t expected = responseBodySize();
    struct statvfs space {};
    if (expected > 0 && ::fstatvfs(fd, &space) == 0 &&
        static_cast<uint64_t>(expected) > uint64_t(space.f_bavail) * uint64_t(space.f_frsize)) {
        foundation::Error full = clientError(DBErrorInsufficientDiskSpace, "Not enough free space for the download");
        full.underlying = std::make_shared<foundation::Error>(foundation::Error::posix(ENOSPC, resultFilename_));
        failWith(full);
    }
}

void DBRequest::connectionDidReceiveData(net::StreamingURLConnection&, const foundation::Bytes& data) {
    if (ended_) return;
    restartIdleTimer();
    if (downloadsToFile()) {
        if (!foundation::writeAll(tempFile_.get(), data.data(), data.size())) {
            foundation::Error failed = clientError(DBErrorInsufficientDiskSpace, "Cannot write the download file");
            failed.underlying = std::make_shared<foundation::Error>(foundation::Error::posix(errno, resultFilename_));
            failWith(failed);
            return;
        }
    } else {
        if (static_cast<int64_t>(resultData_.size() + data.size()) > kMaximumMemoryBody) {
            failWith(
                net::urlError(net::kURLErrorDataLengthExceedsMaximum, MPURLParameterAdditions::hostOf(request_.url)));
            return;
        }
        resultData_.insert(resultData_.end(), data.begin(), data.end());
    }
    bytesDownloaded_ += static_cast<int64_t>(data.size());
    const int64_t expected = responseBodySize();
    if (expected >= 1) {
        downloadProgress_ = static_cast<double>(bytesDownloaded_) / static_cast<double>(expected);
        if (downloadProgressCallback_) downloadProgressCallback_(*this);
    }
}

void DBRequest::connectionDidSendBodyData(net::StreamingURLConnection&, int64_t, int64_t totalBytesWritten,
                                          int64_t totalBytesExpectedToWrite) {
    if (ended_) return;
    restartIdleTimer();
    // An empty body has nothing to report: no 0/0.
    if (totalBytesExpectedToWrite <= 0) return;
    uploadProgress_ = static_cast<double>(totalBytesWritten) / static_cast<double>(totalBytesExpectedToWrite);
    if (uploadProgressCallback_) uploadProgressCallback_(*this);
}

foundation::Error DBRequest::withUserInfo(const foundation::Error& error) const {
    foundation::Error copy = error;
    copy.userInfo = std::make_shared<foundation::Dictionary>(userInfo_.copy());
    return copy;
}

void DBRequest::setError(foundation::Error error) {
    const foundation::Dictionary& info = DBErrorUserInfo(error);
    std::string message = info.get("error").isString() ? info.get("error").asString() : error.description;
    if (!(error.domain == DBClientErrorDomain && error.code == 304)) {
        std::string path = MPURLParameterAdditions::urlByRemovingQuery(request_.url);
        if (auto origin = net::originOfURL(path)) {
            size_t pathStart = path.find('/', path.find("://") + 3);
            path = pathStart == std::string::npos ? "/" : path.substr(pathStart);
        }
        DBLogWarning("DropboxSDK: error making request to " + path + " - (" + std::to_string(error.code) + ") " +
                     message);
    }
    error_ = std::move(error);
}

void DBRequest::removeTemporaryFile() {
    tempFile_ = foundation::FileDescriptor();
    if (tempFilename_.empty()) return;
    if (::unlink(tempFilename_.c_str()) != 0 && errno != ENOENT)
        DBLogError("DBRequest#cancel Error removing temp file: " + std::string(std::strerror(errno)));
    tempFilename_.clear();
}

void DBRequest::failWith(foundation::Error error) {
    if (connection_) connection_->cancel();
    removeTemporaryFile();
    bytesDownloaded_ = 0;
    downloadProgress_ = 0;
    uploadProgress_ = 0;
    if (isCertificateFailure(error))
        DBLogError("DropboxSDK: SSL Error. Cannot validate a certificate for the host: " +
                   MPURLParameterAdditions::hostOf(request_.url));
    setError(error.domain == DBClientErrorDomain && error.userInfo ? error : withUserInfo(error));
    finish();
}

void DBRequest::connectionDidFailWithError(net::StreamingURLConnection&, const foundation::Error& error) {
    if (ended_) return;
    failWith(error);
}

void DBRequest::connectionDidFinishLoading(net::StreamingURLConnection&) {
    if (ended_) return;
    tempFile_ = foundation::FileDescriptor();
    const int status = statusCode();
    if (status != 200) {
        foundation::Dictionary info = userInfo_.copy();
        const std::string body = resultString();
        if (!body.empty()) {
            sbjson::DBJsonParser parser;
            auto parsed = parser.objectWithString(body);
            if (parsed && parsed->isDictionary()) {
                // The request's own keys win over the server's.
                for (const auto& [key, value] : parsed->asDictionary())
                    if (!info.contains(key)) info.set(key, value);
            } else {
                info.set(kErrorMessageKey, foundation::Value(body));
            }
        }
        foundation::Error error = clientError(status, "The server answered with status " + std::to_string(status));
        error.userInfo = std::make_shared<foundation::Dictionary>(info);
        removeTemporaryFile();
        setError(error);
    } else if (!tempFilename_.empty()) {
        struct stat info {};
        const int64_t expected = responseBodySize();
        if (::stat(tempFilename_.c_str(), &info) != 0) {
            foundation::Error failed = foundation::Error::posix(errno, resultFilename_);
            DBLogError("DBRequest#connectionDidFinishLoading: error getting file attrs: " + failed.description);
            removeTemporaryFile();
            setError(withUserInfo(failed));
        } else if (expected != 0 && expected != static_cast<int64_t>(info.st_size)) {
            removeTemporaryFile();
            setError(withUserInfo(clientError(DBErrorGenericError, "The download is not of the announced size")));
        } else if (::rename(tempFilename_.c_str(), resultFilename_.c_str()) != 0) {
            foundation::Error failed = foundation::Error::posix(errno, resultFilename_);
            DBLogError("DBRequest#connectionDidFinishLoading: error moving temp file to desired location: " +
                       failed.description);
            removeTemporaryFile();
            setError(withUserInfo(failed));
        }
        tempFilename_.clear();
    }
    finish();
}

void DBRequest::finish() {
    ended_ = true;
    if (idleTimer_) idleTimer_->invalidate();
    idleTimer_.reset();
    connection_.reset();
    // Taken first: the callback may drop the last reference to this request.
    auto self = shared_from_this();
    Callback call = error_ && failure_ ? failure_ : completion_;
    completion_ = nullptr;
    failure_ = nullptr;
    downloadProgressCallback_ = nullptr;
    uploadProgressCallback_ = nullptr;
    if (call) call(*this);
}

void DBRequest::cancel() {
    if (ended_) return;
    ended_ = true;
    if (connection_) connection_->cancel();
    connection_.reset();
    if (idleTimer_) idleTimer_->invalidate();
    idleTimer_.reset();
    completion_ = nullptr;
    failure_ = nullptr;
    downloadProgressCallback_ = nullptr;
    uploadProgressCallback_ = nullptr;
    removeTemporaryFile();
}

std::optional<foundation::Value> DBRequest::resultJSON() const {
    return sbjson::NSString_SBJSON::JSONValue(resultString());
}

std::optional<foundation::Value> DBRequest::parseResponseAsType(foundation::Value::Type type) {
    if (error_) return std::nullopt;
    // A parser of our own rather than resultJSON(): a hostile body's error
    // trace (hundreds of nesting levels) is not worth a console page.
    sbjson::DBJsonParser parser;
    auto json = parser.objectWithString(resultString());
    if (json && json->type() == type) return json;
    foundation::Error invalid = clientError(DBErrorInvalidResponse, "The server's answer is not of the expected kind");
    setError(withUserInfo(invalid));
    return std::nullopt;
}
