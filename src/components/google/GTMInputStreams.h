#pragma once

// Request bodies as streams: a stream over several blocks read as one
// without copying them together, and a stream that reports every block
// read from another one.

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace google {

enum class GTMStreamStatus { NotOpen, Open, AtEnd, Closed, Error };

class GTMInputStream {
public:
    virtual ~GTMInputStream() = default;
    virtual void open() = 0;
    virtual void close() = 0;
    // Copies up to `maxLength` bytes; 0 at the end, -1 on failure.
    virtual int64_t read(uint8_t* buffer, size_t maxLength) = 0;
    virtual bool hasBytesAvailable() const = 0;
    virtual GTMStreamStatus streamStatus() const = 0;

    // Everything left, read in one go.
    foundation::Bytes readToEnd();
};

class GTMGatherInputStream : public GTMInputStream {
public:
    static std::shared_ptr<GTMGatherInputStream> streamWithArray(std::vector<foundation::Bytes> blocks);
    explicit GTMGatherInputStream(std::vector<foundation::Bytes> blocks) : blocks_(std::move(blocks)) {}

    void open() override;
    // Lets go of the blocks.
    void close() override;
    int64_t read(uint8_t* buffer, size_t maxLength) override;
    bool hasBytesAvailable() const override { return true; }
    GTMStreamStatus streamStatus() const override { return status_; }

private:
    std::vector<foundation::Bytes> blocks_;
    size_t arrayIndex_ = 0;
    size_t dataOffset_ = 0;
    GTMStreamStatus status_ = GTMStreamStatus::NotOpen;
};

class GTMReadMonitorInputStream : public GTMInputStream,
                                  public std::enable_shared_from_this<GTMReadMonitorInputStream> {
public:
    // Called with the bytes of each successful read: at once when the read
    // happens on the thread that made the monitor, else later on that
    // thread's run loop with a copy of the bytes.
    using ReadSelector = std::function<void(GTMReadMonitorInputStream& stream, const uint8_t* bytes, uint64_t length)>;

    static std::shared_ptr<GTMReadMonitorInputStream> inputStreamWithStream(std::shared_ptr<GTMInputStream> stream);
    explicit GTMReadMonitorInputStream(std::shared_ptr<GTMInputStream> stream);

    void setReadDelegate(std::shared_ptr<void> delegate) { readDelegate_ = std::move(delegate); }
    void setReadSelector(ReadSelector selector) { readSelector_ = std::move(selector); }

    void open() override { inputStream_->open(); }
    void close() override { inputStream_->close(); }
    int64_t read(uint8_t* buffer, size_t maxLength) override;
    bool hasBytesAvailable() const override { return inputStream_->hasBytesAvailable(); }
    GTMStreamStatus streamStatus() const override { return inputStream_->streamStatus(); }

private:
    std::shared_ptr<GTMInputStream> inputStream_;
    std::thread::id thread_;
    foundation::RunLoop* runLoop_;
    std::weak_ptr<void> readDelegate_;
    ReadSelector readSelector_;
};

}  // namespace google
