#pragma once

// The media sent with an API call: bytes in memory, an open file or a file
// by path, with its content type; an upload location continues an upload
// the server already holds part of.

#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <string>

namespace google {

class GTLUploadParameters;
using GTLUploadParametersPtr = std::shared_ptr<GTLUploadParameters>;

class GTLUploadParameters {
public:
    static GTLUploadParametersPtr uploadParametersWithData(foundation::Bytes data, std::string MIMEType);
    static GTLUploadParametersPtr uploadParametersWithFileHandle(std::shared_ptr<foundation::FileDescriptor> fileHandle,
                                                                 std::string MIMEType);
    static GTLUploadParametersPtr uploadParametersWithFileURL(std::string path, std::string MIMEType);

    const std::string& MIMEType() const { return MIMEType_; }
    void setMIMEType(std::string type) { MIMEType_ = std::move(type); }
    // Shared with copies, as the bytes are never changed after creation.
    const std::shared_ptr<const foundation::Bytes>& data() const { return data_; }
    void setData(std::optional<foundation::Bytes> data);
    const std::shared_ptr<foundation::FileDescriptor>& fileHandle() const { return fileHandle_; }
    void setFileHandle(std::shared_ptr<foundation::FileDescriptor> handle) { fileHandle_ = std::move(handle); }
    const std::optional<std::string>& fileURL() const { return fileURL_; }
    void setFileURL(std::optional<std::string> path) { fileURL_ = std::move(path); }
    const std::optional<std::string>& uploadLocationURL() const { return uploadLocationURL_; }
    void setUploadLocationURL(std::optional<std::string> url) { uploadLocationURL_ = std::move(url); }
    const std::optional<std::string>& slug() const { return slug_; }
    void setSlug(std::optional<std::string> slug) { slug_ = std::move(slug); }
    bool shouldSendUploadOnly() const { return shouldSendUploadOnly_; }
    void setShouldSendUploadOnly(bool flag) { shouldSendUploadOnly_ = flag; }

    // Every field copied; bytes and file handle shared.
    GTLUploadParametersPtr copy() const { return std::make_shared<GTLUploadParameters>(*this); }
    std::string description() const;

private:
    std::string MIMEType_;
    std::shared_ptr<const foundation::Bytes> data_;
    std::shared_ptr<foundation::FileDescriptor> fileHandle_;
    std::optional<std::string> fileURL_;
    std::optional<std::string> uploadLocationURL_;
    std::optional<std::string> slug_;
    bool shouldSendUploadOnly_ = false;
};

}  // namespace google
