#include "components/support/SDWebImageDecoder.h"

#include "components/support/ScaledImageForKey.h"
#include "components/support/UIImage_ForceDecode.h"

namespace support {

SDWebImageDecoder& SDWebImageDecoder::sharedImageDecoder() {
    static SDWebImageDecoder decoder;
    return decoder;
}

void SDWebImageDecoder::answer(graphics::Image image, std::shared_ptr<SDWebImageDecoderDelegate> delegate,
                               foundation::Dictionary userInfo) {
    graphics::Image decoded = UIImage_ForceDecode::decodedImageWithImage(image);
    if (decoded.isNull()) decoded = std::move(image);
    foundation::DispatchQueue::main().async(
        [this, decoded = std::move(decoded), delegate = std::move(delegate), userInfo = std::move(userInfo)] {
            if (delegate) delegate->imageDecoderDidFinishDecodingImage(*this, decoded, userInfo);
        });
}

void SDWebImageDecoder::decodeImage(graphics::Image image, std::shared_ptr<SDWebImageDecoderDelegate> delegate,
                                    foundation::Dictionary userInfo) {
    imageDecodingQueue_.async(
        [this, image = std::move(image), delegate = std::move(delegate), userInfo = std::move(userInfo)]() mutable {
            answer(std::move(image), std::move(delegate), std::move(userInfo));
        });
}

void SDWebImageDecoder::decodeImageData(std::string key, foundation::Bytes data,
                                        std::shared_ptr<SDWebImageDecoderDelegate> delegate,
                                        foundation::Dictionary userInfo) {
    imageDecodingQueue_.async([this, key = std::move(key), data = std::move(data), delegate = std::move(delegate),
                               userInfo = std::move(userInfo)]() mutable {
        answer(scaledImageForKey(key, data), std::move(delegate), std::move(userInfo));
    });
}

}  // namespace support
