// JPEG decoding as the bytes arrive, through libjpeg's suspending data
// source: when the data run out, the source says so, libjpeg backs up to a
// point it can resume from, and the next feed carries on from there.
//
// libjpeg reports errors by calling error_exit, which must not return; it
// long-jumps back into step(). Nothing with a destructor may be alive in a
// frame between setjmp and the jump, so step() keeps its state in members.

#include "platform/graphics/IncrementalDecoder.h"
#include "platform/graphics/JpegCodec.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE
#include <jpeglib.h>

namespace graphics::detail {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void onError(j_common_ptr codec) {
    auto* errors = reinterpret_cast<ErrorManager*>(codec->err);
    (*codec->err->format_message)(codec, errors->message);
    std::longjmp(errors->jump, 1);
}

void onMessage(j_common_ptr, int) {}  // warnings are not printed

class IncrementalJpegDecoder final : public IncrementalDecoder {
public:
    IncrementalJpegDecoder() {
        formatName_ = "JPEG";
        codec_.err = jpeg_std_error(&errors_.base);
        errors_.base.error_exit = onError;
        errors_.base.emit_message = onMessage;
        errors_.message[0] = '\0';
        jpeg_create_decompress(&codec_);
        source_.init_source = [](j_decompress_ptr) {};
        // No more bytes for now: suspend.
        source_.fill_input_buffer = [](j_decompress_ptr) -> boolean { return FALSE; };
        source_.skip_input_data = skipInput;
        source_.resync_to_restart = jpeg_resync_to_restart;
        source_.term_source = [](j_decompress_ptr) {};
        source_.next_input_byte = nullptr;
        source_.bytes_in_buffer = 0;
        codec_.src = &source_;
        codec_.client_data = this;
    }
    ~IncrementalJpegDecoder() override { jpeg_destroy_decompress(&codec_); }

    void feed(const uint8_t* data, size_t length, bool final) override {
        if (error_ || complete_) return;
        if (length < consumed_) {
            failCorrupt("the data shrank");
            return;
        }
        // Point the source at what is left of the whole stream; a skip that
        // ran past the end of the earlier data comes off first.
        size_t skip = std::min(skipPending_, length - consumed_);
        consumed_ += skip;
        skipPending_ -= skip;
        source_.next_input_byte = data + consumed_;
        source_.bytes_in_buffer = length - consumed_;
        bool failed = !step();
        const size_t left = source_.bytes_in_buffer;
        source_.next_input_byte = nullptr;  // the caller's buffer is not ours to keep
        source_.bytes_in_buffer = 0;
        if (failed) {
            failCorrupt(errors_.message);
            jpeg_abort_decompress(&codec_);
            return;
        }
        consumed_ = length - left;
        if (final && !complete_) failCorrupt("the data end before the picture does");
    }

private:
    enum class Stage { Header, Start, Rows, Scans, Finish, Done };

    static void skipInput(j_decompress_ptr codec, long count) {
        if (count <= 0) return;
        auto* self = static_cast<IncrementalJpegDecoder*>(codec->client_data);
        jpeg_source_mgr& source = self->source_;
        size_t wanted = static_cast<size_t>(count);
        if (wanted <= source.bytes_in_buffer) {
            source.next_input_byte += wanted;
            source.bytes_in_buffer -= wanted;
            return;
        }
        self->skipPending_ += wanted - source.bytes_in_buffer;
        source.next_input_byte += source.bytes_in_buffer;
        source.bytes_in_buffer = 0;
    }

    // Decodes as far as the bytes go; false when libjpeg reported an error.
    bool step() {
        if (setjmp(errors_.jump)) return false;
        for (;;) {
            switch (stage_) {
                case Stage::Header: {
                    int result = jpeg_read_header(&codec_, TRUE);
                    if (result == JPEG_SUSPENDED) return true;
                    if (result != JPEG_HEADER_OK) {  // tables only, no picture
                        std::snprintf(errors_.message, sizeof errors_.message, "the stream holds no picture");
                        return false;
                    }
                    if (!beginPicture(static_cast<int>(codec_.image_width), static_cast<int>(codec_.image_height),
                                      QImage::Format_RGB32))
                        return true;  // refused; the error is set
                    // Qt's RGB32 is B, G, R, 0xFF in memory on little-endian machines.
                    // Print pictures come out as ink, 4 bytes a pixel too, and
                    // are turned into colour row by row.
                    cmyk_ = codec_.jpeg_color_space == JCS_CMYK || codec_.jpeg_color_space == JCS_YCCK;
                    codec_.out_color_space = cmyk_ ? JCS_CMYK : JCS_EXT_BGRX;
                    codec_.buffered_image = jpeg_has_multiple_scans(&codec_);
                    stage_ = Stage::Start;
                    break;
                }
                case Stage::Start:
                    if (!jpeg_start_decompress(&codec_)) return true;
                    stage_ = codec_.buffered_image ? Stage::Scans : Stage::Rows;
                    break;
                case Stage::Rows:
                    while (codec_.output_scanline < codec_.output_height) {
                        if (!readRow()) return true;
                        rowsDone_ = static_cast<int>(codec_.output_scanline);
                        ++changes_;
                    }
                    stage_ = Stage::Finish;
                    break;
                case Stage::Scans:
                    if (!absorbScans()) return true;
                    stage_ = Stage::Finish;
                    break;
                case Stage::Finish:
                    if (!jpeg_finish_decompress(&codec_)) return true;
                    stage_ = Stage::Done;
                    complete_ = true;
                    rowsDone_ = bitmap_.height();
                    return true;
                case Stage::Done:
                    return true;
            }
            if (error_) return true;
        }
    }

    // The next row into the bitmap; false when the data ran out first.
    bool readRow() {
        JSAMPROW row = bitmap_.scanLine(static_cast<int>(codec_.output_scanline));
        if (jpeg_read_scanlines(&codec_, &row, 1) == 0) return false;
        if (cmyk_) jpeg::cmykToRgb32(row, codec_.output_width, codec_.saw_Adobe_marker);
        return true;
    }

    // A progressive picture: reads what has come of its scans and draws the
    // latest complete one. True once the end of the picture is reached and drawn.
    bool absorbScans() {
        if (outputOpen_) {
            if (!jpeg_finish_output(&codec_)) return false;
            outputOpen_ = false;
        }
        bool atEnd = false;
        for (;;) {
            int result = jpeg_consume_input(&codec_);
            if (result == JPEG_SUSPENDED) break;
            if (result == JPEG_SCAN_COMPLETED) scansComplete_ = codec_.input_scan_number;
            if (result == JPEG_REACHED_EOI) {
                scansComplete_ = codec_.input_scan_number;
                atEnd = true;
                break;
            }
        }
        if (scansComplete_ > scansDrawn_) {
            // A complete scan is drawn without waiting for input; only the
            // search for the next scan's start may suspend, and is resumed
            // at the next feed.
            jpeg_start_output(&codec_, scansComplete_);
            while (codec_.output_scanline < codec_.output_height) {
                if (!readRow()) break;
            }
            scansDrawn_ = scansComplete_;
            rowsDone_ = bitmap_.height();
            ++changes_;
            if (!jpeg_finish_output(&codec_)) {
                outputOpen_ = true;
                return false;
            }
        }
        return atEnd;
    }

    jpeg_decompress_struct codec_{};
    ErrorManager errors_{};
    jpeg_source_mgr source_{};
    Stage stage_ = Stage::Header;
    size_t consumed_ = 0;     // bytes of the stream libjpeg is done with
    size_t skipPending_ = 0;  // bytes to skip that had not arrived yet
    int scansComplete_ = 0;
    int scansDrawn_ = 0;
    bool outputOpen_ = false;  // jpeg_finish_output suspended and is owed a retry
    bool cmyk_ = false;        // ink samples to turn into colour
};

}  // namespace

std::unique_ptr<IncrementalDecoder> makeIncrementalJpegDecoder() { return std::make_unique<IncrementalJpegDecoder>(); }

}  // namespace graphics::detail
