#pragma once

// The shared background decompressor of downloaded pictures: each picture is
// redrawn into a display-ready bitmap on a background queue and handed back
// on the main run loop.
//
//     SDWebImageDecoder::sharedImageDecoder().decodeImage(image, self, {{"type", "partial"}});
//     ... later, on the main thread:
//     void imageDecoderDidFinishDecodingImage(SDWebImageDecoder&, const graphics::Image&,
//                                             const foundation::Dictionary& userInfo) override;

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"

#include <memory>
#include <string>

namespace support {

class SDWebImageDecoder;

class SDWebImageDecoderDelegate {
public:
    virtual ~SDWebImageDecoderDelegate() = default;
    // On the main thread, once per decode: the decoded picture, or the one
    // given when redrawing made none, or a null image when there was none.
    virtual void imageDecoderDidFinishDecodingImage(SDWebImageDecoder& decoder, const graphics::Image& image,
                                                    const foundation::Dictionary& userInfo) = 0;
};

class SDWebImageDecoder {
public:
    // The one decoder, made on first use.
    static SDWebImageDecoder& sharedImageDecoder();

    // Queues one decode. The delegate is kept until it has been answered.
    void decodeImage(graphics::Image image, std::shared_ptr<SDWebImageDecoderDelegate> delegate,
                     foundation::Dictionary userInfo);
    // The same for encoded data: the picture is made from the data by the
    // image cache's key rule (scale from "@2x.") on the queue too, so that no
    // full-size decoding happens on the main thread. Data that make no
    // picture are answered with a null image.
    void decodeImageData(std::string key, foundation::Bytes data, std::shared_ptr<SDWebImageDecoderDelegate> delegate,
                         foundation::Dictionary userInfo);

    // The queue decodes run on: a global queue, so several run at once.
    const foundation::DispatchQueue& imageDecodingQueue() const { return imageDecodingQueue_; }

private:
    SDWebImageDecoder() = default;
    void answer(graphics::Image image, std::shared_ptr<SDWebImageDecoderDelegate> delegate,
                foundation::Dictionary userInfo);

    foundation::DispatchQueue imageDecodingQueue_ = foundation::DispatchQueue::global();
};

}  // namespace support
