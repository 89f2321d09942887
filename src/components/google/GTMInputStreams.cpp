#include "components/google/GTMInputStreams.h"

#include <algorithm>
#include <cstring>

namespace google {

foundation::Bytes GTMInputStream::readToEnd() {
    foundation::Bytes all;
    uint8_t buffer[64 * 1024];
    for (;;) {
        int64_t got = read(buffer, sizeof buffer);
        if (got <= 0) break;
        all.insert(all.end(), buffer, buffer + got);
    }
    return all;
}

std::shared_ptr<GTMGatherInputStream> GTMGatherInputStream::streamWithArray(std::vector<foundation::Bytes> blocks) {
    return std::make_shared<GTMGatherInputStream>(std::move(blocks));
}

void GTMGatherInputStream::open() {
    if (status_ == GTMStreamStatus::NotOpen) status_ = GTMStreamStatus::Open;
}

void GTMGatherInputStream::close() {
    blocks_.clear();
    status_ = GTMStreamStatus::Closed;
}

int64_t GTMGatherInputStream::read(uint8_t* buffer, size_t maxLength) {
    size_t copied = 0;
    while (copied < maxLength && arrayIndex_ < blocks_.size()) {
        const foundation::Bytes& block = blocks_[arrayIndex_];
        size_t count = std::min(maxLength - copied, block.size() - dataOffset_);
        if (count > 0) std::memcpy(buffer + copied, block.data() + dataOffset_, count);
        copied += count;
        dataOffset_ += count;
        if (dataOffset_ == block.size()) {
            dataOffset_ = 0;
            ++arrayIndex_;
        }
    }
    if (copied == 0 && arrayIndex_ >= blocks_.size() && status_ != GTMStreamStatus::Closed)
        status_ = GTMStreamStatus::AtEnd;
    return int64_t(copied);
}

std::shared_ptr<GTMReadMonitorInputStream> GTMReadMonitorInputStream::inputStreamWithStream(
    std::shared_ptr<GTMInputStream> stream) {
    return std::make_shared<GTMReadMonitorInputStream>(std::move(stream));
}

GTMReadMonitorInputStream::GTMReadMonitorInputStream(std::shared_ptr<GTMInputStream> stream)
    : inputStream_(std::move(stream)), thread_(std::this_thread::get_id()), runLoop_(&foundation::RunLoop::current()) {}

int64_t GTMReadMonitorInputStream::read(uint8_t* buffer, size_t maxLength) {
    int64_t got = inputStream_->read(buffer, maxLength);
    if (got < 1) return got;
    std::shared_ptr<void> delegate = readDelegate_.lock();
    if (!delegate || !readSelector_) return got;
    if (std::this_thread::get_id() == thread_) {
        readSelector_(*this, buffer, uint64_t(got));
    } else {
        std::weak_ptr<void> weakDelegate = delegate;
        ReadSelector selector = readSelector_;
        runLoop_->post(
            [weakSelf = weak_from_this(), weakDelegate, selector, copy = foundation::Bytes(buffer, buffer + got)] {
                auto self = weakSelf.lock();
                if (self && weakDelegate.lock()) selector(*self, copy.data(), copy.size());
            });
    }
    return got;
}

}  // namespace google
