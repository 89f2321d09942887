#pragma once

// A large body (a movie) sent with the resumable-upload protocol. The
// fetcher itself sends the first request, which carries the call and
// announces the upload's length and type; the answer's "Location" is the
// upload location, which then receives the bytes in PUT chunks, each sent
// by a plain fetcher of its own. A 308 answer says the upload is
// incomplete: its "Range" tells how much the server holds, and the next
// chunk starts behind that. The caller hears once, at the very end, and
// sees progress over the whole upload: the sent-data selector and block
// receive the bytes of the first request's body and of the upload together.

#include "components/google/GTMHTTPFetcher.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>

namespace google {

class GTMHTTPFetcherService;

// An open file to upload; shared, as the caller and the fetcher both hold it.
using GTMFileHandle = std::shared_ptr<foundation::FileDescriptor>;

class GTMHTTPUploadFetcher : public GTMHTTPFetcher {
public:
    // The whole rest of the upload in one chunk.
    static constexpr uint64_t kGTMHTTPUploadFetcherStandardChunkSize = std::numeric_limits<uint64_t>::max();
    // Tails shorter than this ride with the chunk before them.
    static constexpr uint64_t kMinimumTailLength = 2500;

    using LocationChangeBlock = std::function<void(const std::optional<std::string>& location)>;

    static std::shared_ptr<GTMHTTPUploadFetcher> uploadFetcherWithRequest(
        const net::URLRequest& request, Bytes uploadData, std::string uploadMIMEType, uint64_t chunkSize,
        const std::shared_ptr<GTMHTTPFetcherService>& fetcherService);
    static std::shared_ptr<GTMHTTPUploadFetcher> uploadFetcherWithRequest(
        const net::URLRequest& request, GTMFileHandle uploadFileHandle, std::string uploadMIMEType, uint64_t chunkSize,
        const std::shared_ptr<GTMHTTPFetcherService>& fetcherService);
    // Resumes an upload the server already knows: no first request; the
    // upload begins by asking the server what it holds.
    static std::shared_ptr<GTMHTTPUploadFetcher> uploadFetcherWithLocation(
        const std::string& locationURL, GTMFileHandle uploadFileHandle, std::string uploadMIMEType, uint64_t chunkSize,
        const std::shared_ptr<GTMHTTPFetcherService>& fetcherService);

    bool beginFetchWithDelegate(std::shared_ptr<void> delegate, FinishedSelector finishedSelector) override;
    bool beginFetchWithCompletionHandler(CompletionHandler handler) override;
    void stopFetching() override;
    std::string description() const override;

    void pauseFetching();
    // Asks the server what it holds and goes on from there; nothing unless paused.
    void resumeFetching();
    bool isPaused() const { return isPaused_; }

    // The last chunk's answer once there is one, else the first request's.
    int statusCode() const override;
    std::optional<net::HTTPHeaders> responseHeaders() const override;

    const std::optional<std::string>& locationURL() const { return locationURL_; }
    void setLocationURL(std::optional<std::string> location);
    void setLocationChangeBlock(LocationChangeBlock block) { locationChangeBlock_ = std::move(block); }
    const std::optional<Bytes>& uploadData() const { return uploadData_; }
    const GTMFileHandle& uploadFileHandle() const { return uploadFileHandle_; }
    const std::string& uploadMIMEType() const { return uploadMIMEType_; }
    uint64_t chunkSize() const { return chunkSize_; }
    uint64_t currentOffset() const { return currentOffset_; }
    // The full length of the upload.
    uint64_t fullUploadLength();
    const std::shared_ptr<GTMHTTPFetcher>& chunkFetcher() const { return chunkFetcher_; }
    // The chunk fetcher while one runs, else this fetcher.
    GTMHTTPFetcher& activeFetcher();

    // A status query instead of a chunk: the server answers what it holds.
    static constexpr uint64_t kStatusQueryOffset = std::numeric_limits<uint64_t>::max();
    void uploadNextChunkWithOffset(uint64_t offset);

protected:
    explicit GTMHTTPUploadFetcher(const net::URLRequest& request) : GTMHTTPFetcher(request) {}

    bool shouldReleaseCallbacksUponCompletion() const override { return false; }
    void invokeFetchCallbacks(const Bytes& data, const OptionalError& error) override;
    void connectionDidSendBodyData(int64_t bytesWritten, int64_t totalBytesWritten,
                                   int64_t totalBytesExpectedToWrite) override;
    void connectionDidFinishLoading() override;

private:
    static std::shared_ptr<GTMHTTPUploadFetcher> make(const net::URLRequest& request,
                                                      const std::shared_ptr<GTMHTTPFetcherService>& service);
    void setUpload(std::optional<std::string> location, std::optional<Bytes> data, GTMFileHandle fileHandle,
                   std::string mimeType, uint64_t chunkSize);
    void uploadNextChunkWithOffset(uint64_t offset, const std::map<std::string, std::any>& properties);
    void chunkFetcherFinished(GTMHTTPFetcher& chunk, const Bytes& data, const OptionalError& error);
    void handleResumeIncompleteStatusForChunkFetcher(GTMHTTPFetcher& chunk);
    bool chunkFetcherWillRetry(GTMHTTPFetcher& chunk, bool suggestedWillRetry, const foundation::Error& error);
    void uploadFetcherDidSendBytes(int64_t bytesSent, int64_t totalBytesSent, int64_t totalBytesExpectedToSend);
    void invokeFinalCallbacksWithData(const Bytes& data, const OptionalError& error, bool shouldInvalidateLocation);
    void destroyChunkFetcher();

    std::shared_ptr<GTMHTTPFetcher> chunkFetcher_;
    FinishedSelector delegateFinishedSel_;
    CompletionHandler finalCompletion_;
    uint64_t initialBodyLength_ = 0;
    uint64_t initialBodySent_ = 0;
    std::optional<std::string> locationURL_;
    LocationChangeBlock locationChangeBlock_;
    std::optional<Bytes> uploadData_;
    GTMFileHandle uploadFileHandle_;
    int64_t uploadFileHandleLength_ = -1;
    std::string uploadMIMEType_;
    uint64_t chunkSize_ = 0;
    bool isPaused_ = false;
    bool isRestartedUpload_ = false;
    uint64_t currentOffset_ = 0;
    std::optional<net::HTTPHeaders> chunkResponseHeaders_;
    int statusCode_ = -1;
    std::string firstRequestUserAgent_;
    bool isFinishingFirstRequest_ = false;
    bool hasReportedFinal_ = false;
};

}  // namespace google
