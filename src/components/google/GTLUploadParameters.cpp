#include "components/google/GTLUploadParameters.h"

#include <cstdio>

namespace google {

GTLUploadParametersPtr GTLUploadParameters::uploadParametersWithData(foundation::Bytes data, std::string MIMEType) {
    auto parameters = std::make_shared<GTLUploadParameters>();
    parameters->setData(std::move(data));
    parameters->MIMEType_ = std::move(MIMEType);
    return parameters;
}

GTLUploadParametersPtr GTLUploadParameters::uploadParametersWithFileHandle(
    std::shared_ptr<foundation::FileDescriptor> fileHandle, std::string MIMEType) {
    auto parameters = std::make_shared<GTLUploadParameters>();
    parameters->fileHandle_ = std::move(fileHandle);
    parameters->MIMEType_ = std::move(MIMEType);
    return parameters;
}

GTLUploadParametersPtr GTLUploadParameters::uploadParametersWithFileURL(std::string path, std::string MIMEType) {
    auto parameters = std::make_shared<GTLUploadParameters>();
    parameters->fileURL_ = std::move(path);
    parameters->MIMEType_ = std::move(MIMEType);
    return parameters;
}

void GTLUploadParameters::setData(std::optional<foundation::Bytes> data) {
    data_ = data ? std::make_shared<const foundation::Bytes>(std::move(*data)) : nullptr;
}

std::string GTLUploadParameters::description() const {
    std::string parts = "MIMEType:" + MIMEType_;
    if (data_) parts += ", data:" + std::to_string(data_->size()) + " bytes";
    if (fileHandle_) parts += ", fileHandle:" + std::to_string(fileHandle_->get());
    if (fileURL_) parts += ", file:" + *fileURL_;
    if (uploadLocationURL_) parts += ", uploadLocation:" + *uploadLocationURL_;
    if (slug_) parts += ", slug:" + *slug_;
    if (shouldSendUploadOnly_) parts += ", shouldSendUploadOnly";
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
    return "GTLUploadParameters " + std::string(address) + ": {" + parts + "}";
}

}  // namespace google
