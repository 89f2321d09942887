// PNG decoding as the bytes arrive, through libpng's progressive reader:
// each feed hands it the bytes it has not seen, and its callbacks deliver
// the header, then rows, then the end.
//
// libpng reports errors by long-jumping back to the setjmp in feed(); the
// callbacks keep their state in members for that reason.

#include "platform/graphics/IncrementalDecoder.h"

#include <csetjmp>
#include <png.h>

namespace graphics::detail {

namespace {

class IncrementalPngDecoder final : public IncrementalDecoder {
public:
    IncrementalPngDecoder() {
        formatName_ = "PNG";
        message_[0] = '\0';
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, onError, onWarning);
        if (png_) info_ = png_create_info_struct(png_);
        if (!png_ || !info_) {
            failCorrupt("the decoder could not start");
            return;
        }
        png_set_progressive_read_fn(png_, this, onInfo, onRow, onEnd);
    }
    ~IncrementalPngDecoder() override { png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr); }

    void feed(const uint8_t* data, size_t length, bool final) override {
        if (error_ || complete_) return;
        if (length < fed_) {
            failCorrupt("the data shrank");
            return;
        }
        if (length > fed_ && !process(data + fed_, length - fed_)) {
            failCorrupt(message_);
            return;
        }
        fed_ = length;
        if (final && !complete_ && !error_) failCorrupt("the data end before the picture does");
    }

private:
    // False when libpng reported an error.
    bool process(const uint8_t* bytes, size_t count) {
        if (setjmp(png_jmpbuf(png_))) return false;
        png_process_data(png_, info_, const_cast<png_bytep>(bytes), count);
        return true;
    }

    static IncrementalPngDecoder* self(png_structp png) {
        return static_cast<IncrementalPngDecoder*>(png_get_progressive_ptr(png));
    }

    [[noreturn]] static void onError(png_structp png, png_const_charp message) {
        auto* decoder = static_cast<IncrementalPngDecoder*>(png_get_error_ptr(png));
        std::snprintf(decoder->message_, sizeof decoder->message_, "%s", message);
        png_longjmp(png, 1);
    }
    static void onWarning(png_structp, png_const_charp) {}

    static void onInfo(png_structp png, png_infop info) {
        IncrementalPngDecoder* decoder = self(png);
        png_uint_32 width = 0, height = 0;
        int bitDepth = 0, colorType = 0, interlace = 0;
        png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
        if (width > 0x7FFFFFFF || height > 0x7FFFFFFF ||
            !decoder->beginPicture(static_cast<int>(width), static_cast<int>(height), QImage::Format_ARGB32)) {
            // Stop reading: the error is already set (or set here).
            if (!decoder->error_) decoder->failCorrupt("unsupported picture size");
            png_error(png, "refused");
        }
        // Every form (palette, grey, 16-bit, with or without transparency)
        // becomes 8-bit B, G, R, A in memory: Qt's ARGB32 on little-endian machines.
        png_set_expand(png);
        png_set_strip_16(png);
        if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
        png_set_bgr(png);
        decoder->interlaced_ = interlace != PNG_INTERLACE_NONE;
        png_set_interlace_handling(png);
        png_read_update_info(png, info);
        if (png_get_rowbytes(png, info) != static_cast<size_t>(decoder->bitmap_.bytesPerLine()))
            png_error(png, "unexpected row layout");
    }

    static void onRow(png_structp png, png_bytep row, png_uint_32 rowNumber, int pass) {
        IncrementalPngDecoder* decoder = self(png);
        if (!row || rowNumber >= static_cast<png_uint_32>(decoder->bitmap_.height())) return;
        png_progressive_combine_row(png, decoder->bitmap_.scanLine(static_cast<int>(rowNumber)), row);
        ++decoder->changes_;
        if (!decoder->interlaced_)
            decoder->rowsDone_ = static_cast<int>(rowNumber) + 1;
        else if (pass > 0)
            // The first of the seven passes is over: every part of the
            // picture has a (coarse) pixel.
            decoder->rowsDone_ = decoder->bitmap_.height();
    }

    static void onEnd(png_structp png, png_infop) {
        IncrementalPngDecoder* decoder = self(png);
        decoder->complete_ = true;
        decoder->rowsDone_ = decoder->bitmap_.height();
    }

    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    size_t fed_ = 0;  // bytes of the stream libpng has seen
    bool interlaced_ = false;
    char message_[200];
};

}  // namespace

std::unique_ptr<IncrementalDecoder> makeIncrementalPngDecoder() { return std::make_unique<IncrementalPngDecoder>(); }

}  // namespace graphics::detail
