#include "components/google/GTMHTTPUploadFetcher.h"

#include "components/google/GTMHTTPFetcherErrors.h"
#include "components/google/GTMHTTPFetcherService.h"
#include "platform/net/URLParsing.h"

#include <charconv>
#include <sstream>
#include <sys/stat.h>

namespace google {

namespace {

// "bytes=<first>-<last>": the offset behind <last>, or nullopt when the
// header says nothing usable.
std::optional<uint64_t> offsetAfterRange(const std::optional<std::string>& range) {
    if (!range || !range->starts_with("bytes=")) return std::nullopt;
    std::string_view text(*range);
    text.remove_prefix(6);
    size_t dash = text.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    uint64_t first = 0, last = 0;
    auto [firstEnd, firstError] = std::from_chars(text.data(), text.data() + dash, first);
    auto [lastEnd, lastError] = std::from_chars(text.data() + dash + 1, text.data() + text.size(), last);
    if (firstError != std::errc() || firstEnd != text.data() + dash || lastError != std::errc() ||
        lastEnd != text.data() + text.size() || last == std::numeric_limits<uint64_t>::max())
        return std::nullopt;
    return last + 1;
}

}  // namespace

std::shared_ptr<GTMHTTPUploadFetcher> GTMHTTPUploadFetcher::make(
    const net::URLRequest& request, const std::shared_ptr<GTMHTTPFetcherService>& service) {
    auto fetcher = std::shared_ptr<GTMHTTPUploadFetcher>(new GTMHTTPUploadFetcher(request));
    if (service) service->configureFetcher(*fetcher);
    return fetcher;
}

std::shared_ptr<GTMHTTPUploadFetcher> GTMHTTPUploadFetcher::uploadFetcherWithRequest(
    const net::URLRequest& request, Bytes uploadData, std::string uploadMIMEType, uint64_t chunkSize,
    const std::shared_ptr<GTMHTTPFetcherService>& fetcherService) {
    auto fetcher = make(request, fetcherService);
    fetcher->setUpload(std::nullopt, std::move(uploadData), nullptr, std::move(uploadMIMEType), chunkSize);
    return fetcher;
}

std::shared_ptr<GTMHTTPUploadFetcher> GTMHTTPUploadFetcher::uploadFetcherWithRequest(
    const net::URLRequest& request, GTMFileHandle uploadFileHandle, std::string uploadMIMEType, uint64_t chunkSize,
    const std::shared_ptr<GTMHTTPFetcherService>& fetcherService) {
    auto fetcher = make(request, fetcherService);
    fetcher->setUpload(std::nullopt, std::nullopt, std::move(uploadFileHandle), std::move(uploadMIMEType), chunkSize);
    return fetcher;
}

std::shared_ptr<GTMHTTPUploadFetcher> GTMHTTPUploadFetcher::uploadFetcherWithLocation(
    const std::string& locationURL, GTMFileHandle uploadFileHandle, std::string uploadMIMEType, uint64_t chunkSize,
    const std::shared_ptr<GTMHTTPFetcherService>& fetcherService) {
    auto fetcher = make(net::URLRequest(), fetcherService);
    fetcher->setUpload(locationURL, std::nullopt, std::move(uploadFileHandle), std::move(uploadMIMEType), chunkSize);
    return fetcher;
}

void GTMHTTPUploadFetcher::setUpload(std::optional<std::string> location, std::optional<Bytes> data,
                                     GTMFileHandle fileHandle, std::string mimeType, uint64_t chunkSize) {
    locationURL_ = std::move(location);
    uploadData_ = std::move(data);
    uploadFileHandle_ = std::move(fileHandle);
    uploadMIMEType_ = std::move(mimeType);
    chunkSize_ = chunkSize;
    uploadFileHandleLength_ = -1;
    statusCode_ = -1;
    isRestartedUpload_ = locationURL_.has_value();
    if (!request_->url.empty()) {
        request_->setValue(std::to_string(fullUploadLength()), "X-Upload-Content-Length");
        request_->setValue(uploadMIMEType_, "X-Upload-Content-Type");
    }
}

uint64_t GTMHTTPUploadFetcher::fullUploadLength() {
    if (uploadData_) return uploadData_->size();
    if (uploadFileHandleLength_ < 0) {
        struct stat info {};
        uploadFileHandleLength_ =
            uploadFileHandle_ && ::fstat(uploadFileHandle_->get(), &info) == 0 ? int64_t(info.st_size) : 0;
    }
    return uint64_t(uploadFileHandleLength_);
}

std::string GTMHTTPUploadFetcher::description() const {
    std::ostringstream out;
    out << "GTMHTTPUploadFetcher " << static_cast<const void*>(this) << " ("
        << (locationURL_ ? *locationURL_ : request_->url) << ")";
    return out.str();
}

GTMHTTPFetcher& GTMHTTPUploadFetcher::activeFetcher() { return chunkFetcher_ ? *chunkFetcher_ : *this; }

bool GTMHTTPUploadFetcher::beginFetchWithDelegate(std::shared_ptr<void> delegate, FinishedSelector finishedSelector) {
    delegateFinishedSel_ = std::move(finishedSelector);
    hasReportedFinal_ = false;
    initialBodyLength_ = postData_ ? postData_->size() : 0;
    firstRequestUserAgent_ = request_->valueForHTTPHeaderField("User-Agent").value_or("");
    if (isRestartedUpload_) {
        if (!isPaused_) {
            if (delegate) delegate_ = std::move(delegate);
            uploadNextChunkWithOffset(kStatusQueryOffset);
        }
        return true;
    }
    // The first request's own end reaches the caller only through the
    // final report.
    return GTMHTTPFetcher::beginFetchWithDelegate(std::move(delegate), nullptr);
}

bool GTMHTTPUploadFetcher::beginFetchWithCompletionHandler(CompletionHandler handler) {
    // Kept apart from the first request's completion, so the caller hears
    // exactly once however the first request ends.
    finalCompletion_ = std::move(handler);
    completionBlock_ = nullptr;
    return beginFetchWithDelegate(delegate_, nullptr);
}

void GTMHTTPUploadFetcher::invokeFetchCallbacks(const Bytes& data, const OptionalError& error) {
    // The first request finished normally: connectionDidFinishLoading goes on.
    if (isFinishingFirstRequest_) return;
    // Failing to begin, a transport failure or the background time ending.
    invokeFinalCallbacksWithData(data, error, true);
}

void GTMHTTPUploadFetcher::connectionDidSendBodyData(int64_t bytesWritten, int64_t totalBytesWritten,
                                                     int64_t totalBytesExpectedToWrite) {
    (void)totalBytesExpectedToWrite;
    uploadFetcherDidSendBytes(bytesWritten, totalBytesWritten, 0);
}

void GTMHTTPUploadFetcher::connectionDidFinishLoading() {
    isFinishingFirstRequest_ = true;
    GTMHTTPFetcher::connectionDidFinishLoading();
    isFinishingFirstRequest_ = false;
    if (retryTimer_) return;  // the first request is tried again

    int status = GTMHTTPFetcher::statusCode();
    statusCode_ = status;
    Bytes data = downloadedData();
    std::optional<std::string> location;
    if (auto response = GTMHTTPFetcher::response()) location = response->valueForHTTPHeaderField("Location");

    std::optional<foundation::Error> failure;
    if (status < 300) {
        // The first answer carries the upload location and nothing else.
        if (!data.empty() || !location || location->empty()) failure = fetcherError(kGTMHTTPStatusDomain, 501);
    } else {
        failure = fetcherError(kGTMHTTPStatusDomain, status);
    }
    if (failure) {
        invokeFinalCallbacksWithData(data, failure, true);
        return;
    }
    setLocationURL(net::resolveURL(request_->url, *location).value_or(*location));
    initialBodySent_ = initialBodyLength_;
    if (!isPaused_) uploadNextChunkWithOffset(0);
}

void GTMHTTPUploadFetcher::uploadNextChunkWithOffset(uint64_t offset) {
    uploadNextChunkWithOffset(offset, properties());
}

void GTMHTTPUploadFetcher::uploadNextChunkWithOffset(uint64_t offset,
                                                     const std::map<std::string, std::any>& chunkProperties) {
    const uint64_t full = fullUploadLength();
    std::string contentRange;
    uint64_t length = 0;
    // A status query: asked for to resume, and also when the server already
    // holds everything, since a chunk of no bytes cannot be described.
    if (offset == kStatusQueryOffset || offset >= full) {
        contentRange = "bytes */" + std::to_string(full);
        offset = offset == kStatusQueryOffset ? 0 : full;
    } else {
        const uint64_t remaining = full - offset;
        // Compared without adding to the offset, so the largest chunk size
        // means the rest of the upload without wrapping around.
        bool restInOne = chunkSize_ >= remaining || remaining - chunkSize_ < kMinimumTailLength;
        length = restInOne ? remaining : chunkSize_;
        contentRange =
            "bytes " + std::to_string(offset) + "-" + std::to_string(offset + length - 1) + "/" + std::to_string(full);
    }
    currentOffset_ = offset;

    net::URLRequest chunkRequest(locationURL_.value_or(""));
    chunkRequest.httpMethod = "PUT";
    if (!firstRequestUserAgent_.empty()) chunkRequest.setValue(firstRequestUserAgent_, "User-Agent");
    chunkRequest.setValue(contentRange, "Content-Range");
    chunkRequest.setValue(std::to_string(length), "Content-Length");
    chunkRequest.setValue(uploadMIMEType_, "Content-Type");

    // No service and no authorizer: the upload location is the credential.
    auto chunk = GTMHTTPFetcher::fetcherWithRequest(chunkRequest);
    chunk->setDelegateQueue(delegateQueue_);
    chunk->setAllowedInsecureSchemes(allowedInsecureSchemes_);
    chunk->setAllowLocalhostRequest(allowLocalhostRequest_);
    chunk->setProperties(chunkProperties);
    chunk->setRetryEnabled(isRetryEnabled_);
    chunk->setMaxRetryInterval(maxRetryInterval_);
    chunk->setCookieStorageMethod(cookieStorageMethod_);
    if (comment_ != "(No fetcher comment set)" && !comment_.empty())
        chunk->setComment(comment_ + " (" + contentRange + ")");
    if (length == 0) {
        chunk->setPostData(Bytes());
    } else if (uploadData_) {
        chunk->setPostData(Bytes(uploadData_->begin() + std::ptrdiff_t(offset),
                                 uploadData_->begin() + std::ptrdiff_t(offset + length)));
    } else {
        // Read from the open file while it is sent: no chunk in memory.
        chunk->setPostFile(net::URLRequestBodyFile{"/proc/self/fd/" + std::to_string(uploadFileHandle_->get()), offset,
                                                   length, uploadFileHandle_});
    }
    std::weak_ptr<GTMHTTPUploadFetcher> weak = std::static_pointer_cast<GTMHTTPUploadFetcher>(shared_from_this());
    chunk->setSentDataBlock([weak](int64_t sent, int64_t total, int64_t expected) {
        if (auto self = weak.lock()) self->uploadFetcherDidSendBytes(sent, total, expected);
    });
    if (isRetryEnabled_) {
        chunk->setRetryBlock([weak, raw = chunk.get()](bool suggested, const foundation::Error& error) {
            auto self = weak.lock();
            return self && self->chunkFetcherWillRetry(*raw, suggested, error);
        });
    }
    request_ = std::make_shared<net::URLRequest>(chunkRequest);

    chunkFetcher_ = chunk;
    bool began = chunk->beginFetchWithDelegate(
        shared_from_this(), [weak](GTMHTTPFetcher& fetcher, const Bytes& data, const OptionalError& error) {
            if (auto self = weak.lock()) self->chunkFetcherFinished(fetcher, data, error);
        });
    if (!began) {
        destroyChunkFetcher();
        invokeFinalCallbacksWithData({}, fetcherError(kGTMFetcherErrorDomain, kGTMHTTPFetcherErrorChunkUploadFailed),
                                     true);
    }
}

void GTMHTTPUploadFetcher::chunkFetcherFinished(GTMHTTPFetcher& chunk, const Bytes& data, const OptionalError& error) {
    if (chunkFetcher_.get() != &chunk) return;
    statusCode_ = chunk.statusCode();
    chunkResponseHeaders_ = chunk.responseHeaders();
    if (error && error->domain == kGTMHTTPStatusDomain && error->code == 308) {
        handleResumeIncompleteStatusForChunkFetcher(chunk);
        return;
    }
    auto keep = chunkFetcher_;
    destroyChunkFetcher();
    if (error) {
        // Status errors are already of the status domain; a transport error
        // keeps its own, so the caller can tell a dropped line from a refusal.
        // The location stays, so the upload can be resumed.
        invokeFinalCallbacksWithData(data, error, false);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        downloadedData_ = data;
        downloadedLength_ = data.size();
    }
    invokeFinalCallbacksWithData(data, std::nullopt, true);
}

void GTMHTTPUploadFetcher::handleResumeIncompleteStatusForChunkFetcher(GTMHTTPFetcher& chunk) {
    std::optional<net::HTTPHeaders> headers = chunk.responseHeaders();
    std::optional<uint64_t> next = headers ? offsetAfterRange(headers->value("Range")) : std::nullopt;
    // A server cannot hold more than the whole upload.
    currentOffset_ = std::min(next.value_or(0), fullUploadLength());
    if (headers) {
        std::optional<std::string> location = headers->value("Location");
        if (location && !location->empty()) setLocationURL(*location);
    }
    std::map<std::string, std::any> chunkProperties = chunk.properties();
    destroyChunkFetcher();
    uploadNextChunkWithOffset(currentOffset_, chunkProperties);
}

bool GTMHTTPUploadFetcher::chunkFetcherWillRetry(GTMHTTPFetcher& chunk, bool suggestedWillRetry,
                                                 const foundation::Error& error) {
    if (error.domain == kGTMHTTPStatusDomain && error.code == 308) return false;
    if (delegate_ && retrySel_) suggestedWillRetry = retrySel_(*this, suggestedWillRetry, error);
    if (retryBlock_) suggestedWillRetry = retryBlock_(suggestedWillRetry, error);
    if (!suggestedWillRetry) return false;
    // The retry asks what arrived instead of sending the chunk blindly again;
    // the 308 answer resumes from there.
    net::URLRequest& request = chunk.mutableRequest();
    request.setValue("bytes */" + std::to_string(fullUploadLength()), "Content-Range");
    request.setValue("0", "Content-Length");
    request.httpBody.clear();
    request.httpBodyFile.reset();
    chunk.setPostData(Bytes());
    chunk.setPostFile(std::nullopt);
    currentOffset_ = 0;
    return true;
}

void GTMHTTPUploadFetcher::uploadFetcherDidSendBytes(int64_t bytesSent, int64_t totalBytesSent, int64_t) {
    int64_t total = int64_t(initialBodySent_) + totalBytesSent + int64_t(currentOffset_);
    int64_t expected = int64_t(fullUploadLength() + initialBodyLength_);
    SentDataSelector selector;
    SentDataBlock block;
    bool hasDelegate;
    {
        std::lock_guard lock(mutex_);
        selector = sentDataSel_;
        block = sentDataBlock_;
        hasDelegate = bool(delegate_);
    }
    if (hasDelegate && selector) selector(*this, bytesSent, total, expected);
    if (block) block(bytesSent, total, expected);
}

void GTMHTTPUploadFetcher::invokeFinalCallbacksWithData(const Bytes& data, const OptionalError& error,
                                                        bool shouldInvalidateLocation) {
    if (hasReportedFinal_) return;
    hasReportedFinal_ = true;
    auto keep = shared_from_this();
    if (shouldInvalidateLocation) setLocationURL(std::nullopt);
    std::shared_ptr<void> delegate = delegate_;
    FinishedSelector selector = std::move(delegateFinishedSel_);
    CompletionHandler completion = std::move(finalCompletion_);
    delegateFinishedSel_ = nullptr;
    finalCompletion_ = nullptr;
    if (delegate && selector) selector(*this, data, error);
    if (completion) completion(data, error);
    locationChangeBlock_ = nullptr;
    // The first request is long over; tell the service and let go of
    // every callback.
    GTMHTTPFetcher::stopFetching();
}

void GTMHTTPUploadFetcher::setLocationURL(std::optional<std::string> location) {
    if (location == locationURL_) return;
    locationURL_ = std::move(location);
    if (locationChangeBlock_) locationChangeBlock_(locationURL_);
}

void GTMHTTPUploadFetcher::destroyChunkFetcher() {
    auto chunk = std::move(chunkFetcher_);
    chunkFetcher_.reset();
    if (!chunk) return;
    chunk->stopFetching();
    chunk->setProperties({});
}

void GTMHTTPUploadFetcher::pauseFetching() {
    isPaused_ = true;
    destroyChunkFetcher();
}

void GTMHTTPUploadFetcher::resumeFetching() {
    if (!isPaused_) return;
    isPaused_ = false;
    uploadNextChunkWithOffset(kStatusQueryOffset);
}

void GTMHTTPUploadFetcher::stopFetching() {
    destroyChunkFetcher();
    GTMHTTPFetcher::stopFetching();
}

int GTMHTTPUploadFetcher::statusCode() const { return statusCode_ != -1 ? statusCode_ : GTMHTTPFetcher::statusCode(); }

std::optional<net::HTTPHeaders> GTMHTTPUploadFetcher::responseHeaders() const {
    return chunkResponseHeaders_ ? chunkResponseHeaders_ : GTMHTTPFetcher::responseHeaders();
}

}  // namespace google
