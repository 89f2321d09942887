#include "components/google/GTLServiceTicket.h"

#include "components/google/GTLBatchQuery.h"
#include "components/google/GTLService.h"
#include "components/google/GTMHTTPUploadFetcher.h"

#include <cstdio>

namespace google {

GTLServiceTicketPtr GTLServiceTicket::ticketForService(const std::shared_ptr<GTLService>& service) {
    return std::make_shared<GTLServiceTicket>(service);
}

GTLServiceTicket::GTLServiceTicket(const std::shared_ptr<GTLService>& service) : service_(service) {
    if (!service) return;
    properties_ = service->serviceProperties().copy();
    surrogates_ = service->surrogates();
    uploadProgressSelector_ = service->uploadProgressSelector();
    isRetryEnabled_ = service->isRetryEnabled();
    retrySelector_ = service->retrySelector();
    maxRetryInterval_ = service->maxRetryInterval();
    shouldFetchNextPages_ = service->shouldFetchNextPages();
    apiKey_ = service->APIKey();
    uploadProgressBlock_ = service->uploadProgressBlock();
    retryBlock_ = service->retryBlock();
}

void GTLServiceTicket::cancelTicket() {
    if (parseOperation_) parseOperation_->cancelled = true;
    parseOperation_.reset();
    if (objectFetcher_) {
        objectFetcher_->stopFetching();
        objectFetcher_->setProperties({});
        objectFetcher_.reset();
    }
    properties_.clear();
    uploadProgressSelector_ = nullptr;
    uploadProgressBlock_ = nullptr;
    retryBlock_ = nullptr;
    retrySelector_ = nullptr;
    if (executingQuery_) executingQuery_->executionDidStop();
    executingQuery_ = originalQuery_;
    service_.reset();
}

// Only upload fetchers pause; for a plain one these do nothing.
void GTLServiceTicket::pauseUpload() {
    if (auto upload = std::dynamic_pointer_cast<GTMHTTPUploadFetcher>(objectFetcher_)) upload->pauseFetching();
}

void GTLServiceTicket::resumeUpload() {
    if (auto upload = std::dynamic_pointer_cast<GTMHTTPUploadFetcher>(objectFetcher_)) upload->resumeFetching();
}

bool GTLServiceTicket::isUploadPaused() const {
    auto upload = std::dynamic_pointer_cast<GTMHTTPUploadFetcher>(objectFetcher_);
    return upload && upload->isPaused();
}

void GTLServiceTicket::setObjectFetcher(std::shared_ptr<GTMHTTPFetcher> fetcher) {
    objectFetcher_ = std::move(fetcher);
    updateObjectFetcherProgressCallbacks();
}

void GTLServiceTicket::setUploadProgressSelector(GTLServiceUploadProgressBlock selector) {
    const bool had = static_cast<bool>(uploadProgressSelector_);
    uploadProgressSelector_ = std::move(selector);
    if (had != static_cast<bool>(uploadProgressSelector_)) updateObjectFetcherProgressCallbacks();
}

void GTLServiceTicket::setUploadProgressBlock(GTLServiceUploadProgressBlock block) {
    const bool had = static_cast<bool>(uploadProgressBlock_);
    uploadProgressBlock_ = std::move(block);
    if (had != static_cast<bool>(uploadProgressBlock_)) updateObjectFetcherProgressCallbacks();
}

void GTLServiceTicket::updateObjectFetcherProgressCallbacks() {
    if (!objectFetcher_) return;
    if (!uploadProgressSelector_ && !uploadProgressBlock_) {
        objectFetcher_->setSentDataSelector(nullptr);
        return;
    }
    std::weak_ptr<GTLServiceTicket> weakTicket = weak_from_this();
    objectFetcher_->setSentDataSelector([weakTicket](GTMHTTPFetcher&, int64_t, int64_t totalSent, int64_t expected) {
        GTLServiceTicketPtr ticket = weakTicket.lock();
        if (!ticket) return;
        const auto sent = static_cast<uint64_t>(std::max<int64_t>(totalSent, 0));
        const auto total = static_cast<uint64_t>(std::max<int64_t>(expected, 0));
        // Copies: a callback may replace the ticket's blocks.
        GTLServiceUploadProgressBlock selector = ticket->uploadProgressSelector_;
        GTLServiceUploadProgressBlock block = ticket->uploadProgressBlock_;
        if (selector) selector(ticket, sent, total);
        if (block) block(ticket, sent, total);
    });
}

GTLQueryPtr GTLServiceTicket::queryForRequestID(const std::string& requestID) const {
    auto batch = std::dynamic_pointer_cast<GTLBatchQuery>(originalQuery_);
    return batch ? batch->queryForRequestID(requestID) : nullptr;
}

void GTLServiceTicket::setProperty(Value value, std::string_view key) {
    if (value.isNull()) {
        properties_.remove(key);
    } else {
        properties_.set(std::string(key), std::move(value));
    }
}

std::string GTLServiceTicket::description() const {
    char text[64];
    std::snprintf(text, sizeof text, "%p", static_cast<const void*>(this));
    std::string serviceText = "(none)";
    if (service_) {
        char serviceAddress[64];
        std::snprintf(serviceAddress, sizeof serviceAddress, "GTLService %p", static_cast<const void*>(service_.get()));
        serviceText = serviceAddress;
    }
    const std::string key = apiKey_.empty() ? "" : " devKey:" + apiKey_;
    const std::string authorizer = objectFetcher_ && objectFetcher_->authorizer()
                                       ? " authorizer:" + objectFetcher_->authorizer()->userEmail()
                                       : "";
    return "GTLServiceTicket " + std::string(text) + ": {service:" + serviceText + key + authorizer +
           " fetcher:" + (objectFetcher_ ? objectFetcher_->description() : "(none)") + " }";
}

}  // namespace google
