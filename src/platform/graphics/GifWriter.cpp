#include "platform/graphics/GifWriter.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/StreamedFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <dlfcn.h>
#include <gif_lib.h>
#include <libimagequant.h>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace graphics {

namespace {

// SIZE_MAX stands for "no limit", so the hook is one atomic read per flush.
std::atomic<size_t> failWritesAfterBytes{SIZE_MAX};

constexpr size_t kFlushBytes = 64 * 1024;

foundation::Error encodingError(const std::string& what) {
    return {kImageErrorDomain, kImageErrorEncodingFailed, "The GIF could not be written (" + what + ")."};
}

std::optional<foundation::Error> sizeError(int width, int height) {
    if (width >= 1 && height >= 1 && width <= 65535 && height <= 65535) return std::nullopt;
    return foundation::Error(kImageErrorDomain, kImageErrorInvalidArgument,
                             "A GIF must be 1 to 65535 pixels wide and high.");
}

struct QuantizerAttributes {
    liq_attr* attributes = nullptr;
    explicit QuantizerAttributes(liq_attr* attributes) : attributes(attributes) {}
    QuantizerAttributes(const QuantizerAttributes&) = delete;
    QuantizerAttributes& operator=(const QuantizerAttributes&) = delete;
    ~QuantizerAttributes() {
        if (attributes) liq_attr_destroy(attributes);
    }
};

// Pictures are quantized side by side on the global queues, one thread
// each. libimagequant may be built with OpenMP, which would give every one
// of those threads a team of its own (as many threads again, spinning while
// they wait): the threads that quantize ask it for no team. Looked up at run
// time, since the library may come without OpenMP.
void quantizeOnThisThreadAlone() {
    thread_local bool asked = false;
    if (asked) return;
    asked = true;
    using SetThreads = void (*)(int);
    if (auto set = reinterpret_cast<SetThreads>(dlsym(RTLD_DEFAULT, "omp_set_num_threads"))) set(1);
}

// One picture reduced to indices into its own palette.
struct IndexedPicture {
    std::vector<GifColorType> palette;  // 2 to 256 entries, a power of two
    std::vector<GifByteType> indices;   // width × height, row by row
};

foundation::Result<IndexedPicture> quantize(liq_attr* attributes, const QImage& rgba) {
    const int width = rgba.width();
    const int height = rgba.height();
    // libimagequant reads rows through pointers, so QImage's row padding
    // needs no copy.
    std::vector<void*> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) rows[size_t(y)] = const_cast<uchar*>(rgba.constScanLine(y));
    liq_image* image = liq_image_create_rgba_rows(attributes, rows.data(), width, height, 0);
    if (!image) return encodingError("the picture could not be read for its palette");
    liq_result* result = nullptr;
    liq_error quantized = liq_image_quantize(image, attributes, &result);
    if (quantized != LIQ_OK || !result) {
        liq_image_destroy(image);
        return encodingError("no palette could be made, libimagequant error " + std::to_string(int(quantized)));
    }
    IndexedPicture picture;
    picture.indices.resize(size_t(width) * size_t(height));
    liq_error remapped = liq_set_dithering_level(result, 1.0f);
    if (remapped == LIQ_OK)
        remapped = liq_write_remapped_image(result, image, picture.indices.data(), picture.indices.size());
    const liq_palette* palette = remapped == LIQ_OK ? liq_get_palette(result) : nullptr;
    if (palette && palette->count >= 1 && palette->count <= 256) {
        // A GIF colour table holds a power of two of at least two entries.
        size_t tableSize = 2;
        while (tableSize < palette->count) tableSize *= 2;
        picture.palette.assign(tableSize, GifColorType{0, 0, 0});
        for (unsigned i = 0; i < palette->count; ++i)
            picture.palette[i] = {palette->entries[i].r, palette->entries[i].g, palette->entries[i].b};
    }
    liq_result_destroy(result);
    liq_image_destroy(image);
    if (picture.palette.empty()) return encodingError("the picture could not be mapped onto its palette");
    return picture;
}

// One picture on its way to its palette.
struct QuantizeJob {
    std::mutex mutex;
    std::condition_variable finished;
    std::optional<foundation::Result<IndexedPicture>> result;

    static std::shared_ptr<QuantizeJob> start(const liq_attr* attributes, QImage rgbx) {
        auto job = std::make_shared<QuantizeJob>();
        auto copy = std::make_shared<QuantizerAttributes>(liq_attr_copy(attributes));
        foundation::DispatchQueue::global().async([job, copy, rgbx = std::move(rgbx)] {
            quantizeOnThisThreadAlone();
            auto indexed = copy->attributes ? quantize(copy->attributes, rgbx)
                                            : foundation::Result<IndexedPicture>(encodingError("liq_attr_copy"));
            std::lock_guard lock(job->mutex);
            job->result = std::move(indexed);
            job->finished.notify_all();
        });
        return job;
    }
    foundation::Result<IndexedPicture> wait() {
        foundation::ScopedBlockingWork waiting;
        std::unique_lock lock(mutex);
        finished.wait(lock, [this] { return result.has_value(); });
        return std::move(*result);
    }
};

// Pictures quantized ahead of the one being written: enough to keep every
// processor busy, few enough that memory stays small.
size_t picturesAhead() { return std::max(2u, std::thread::hardware_concurrency()) + 1; }

}  // namespace

struct GifWriter::State {
    // Without a file the bytes are only counted (footprintOfPicture).
    State(std::optional<foundation::StreamedFile> file, int width, int height, int delay)
        : file(std::move(file)), width(width), height(height), delayCentiseconds(delay) {}
    ~State() {
        // Closing also frees giflib's memory; the bytes it writes then go to
        // a file that is about to be removed.
        if (gif) EGifCloseFile(gif, nullptr);
    }

    std::optional<foundation::StreamedFile> file;
    GifFileType* gif = nullptr;
    QuantizerAttributes quantizer{liq_attr_create()};
    // Pictures added and not yet written, in order.
    std::deque<std::shared_ptr<QuantizeJob>> quantizing;
    int width;
    int height;
    int delayCentiseconds;
    int imageCount = 0;  // added, written or on their way
    std::vector<uint8_t> pending;
    size_t bytesWritten = 0;
    // The first failure; every later call reports it again.
    std::optional<foundation::Error> failure;

    bool flush() {
        if (failure) return false;
        if (pending.empty()) return true;
        if (file && bytesWritten + pending.size() > failWritesAfterBytes.load()) {
            failure = file->writeError(ENOSPC);
            return false;
        }
        foundation::Status written = file ? file->write(pending.data(), pending.size()) : foundation::Status();
        if (!written) {
            failure = written.error();
            return false;
        }
        bytesWritten += pending.size();
        pending.clear();
        return true;
    }

    // Write failures are kept here and never handed to giflib: some of its
    // error paths (the trailer of EGifCloseFile) return without freeing.
    static int output(GifFileType* gif, const GifByteType* bytes, int length) {
        auto* state = static_cast<State*>(gif->UserData);
        if (state->failure || length <= 0) return length;
        state->pending.insert(state->pending.end(), bytes, bytes + length);
        if (state->pending.size() >= kFlushBytes) state->flush();
        return length;
    }

    // The outcome of a giflib call: the first write failure when there is
    // one, else giflib's own reason when the call failed.
    foundation::Status check(int result, const char* call) {
        if (!failure && result == GIF_ERROR) {
            const char* reason = GifErrorString(gif ? gif->Error : 0);
            failure = encodingError(std::string(call) + ": " + (reason ? reason : "unknown error"));
        }
        if (failure) return *failure;
        return {};
    }

    // Writes the oldest picture added once its palette is ready.
    foundation::Status writeOldest() {
        std::shared_ptr<QuantizeJob> oldest = std::move(quantizing.front());
        quantizing.pop_front();
        return writePicture(*oldest);
    }

    foundation::Status writePicture(QuantizeJob& job) {
        auto indexed = job.wait();
        if (!indexed) {
            if (!failure) failure = indexed.error();
            return *failure;
        }

        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_DO_NOT;
        control.UserInputFlag = false;
        control.DelayTime = delayCentiseconds;
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        GifByteType controlBytes[4];
        EGifGCBToExtension(&control, controlBytes);
        if (auto put = check(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, sizeof controlBytes, controlBytes),
                             "EGifPutExtension");
            !put)
            return put;

        ColorMapObject* colors = GifMakeMapObject(int(indexed->palette.size()), indexed->palette.data());
        if (!colors) return encodingError("GifMakeMapObject: out of memory");
        int described = EGifPutImageDesc(gif, 0, 0, width, height, false, colors);
        GifFreeMapObject(colors);  // giflib keeps its own copy
        if (auto put = check(described, "EGifPutImageDesc"); !put) return put;
        for (int y = 0; y < height; ++y) {
            GifPixelType* row = indexed->indices.data() + size_t(y) * size_t(width);
            if (auto put = check(EGifPutLine(gif, row, width), "EGifPutLine"); !put) return put;
        }
        if (!flush()) return *failure;
        return {};
    }

    foundation::Status writeLoopExtension(int loopCount) {
        static const GifByteType application[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
        const GifByteType loop[] = {1, GifByteType(loopCount & 0xff), GifByteType((loopCount >> 8) & 0xff)};
        if (auto s = check(EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE), "EGifPutExtensionLeader"); !s)
            return s;
        if (auto s = check(EGifPutExtensionBlock(gif, sizeof application, application), "EGifPutExtensionBlock"); !s)
            return s;
        if (auto s = check(EGifPutExtensionBlock(gif, sizeof loop, loop), "EGifPutExtensionBlock"); !s) return s;
        return check(EGifPutExtensionTrailer(gif), "EGifPutExtensionTrailer");
    }
};

int GifWriter::delayCentisecondsForFramesPerSecond(double framesPerSecond) {
    if (!(framesPerSecond > 0)) return 10;
    double delay = std::round(100.0 / framesPerSecond);
    return int(std::clamp(delay, 2.0, 65535.0));
}

void GifWriter::setFailWritesAfterBytesForTesting(std::optional<size_t> bytes) {
    failWritesAfterBytes.store(bytes.value_or(SIZE_MAX));
}

GifWriter::GifWriter(std::unique_ptr<State> state) : state_(std::move(state)) {}
GifWriter::GifWriter(GifWriter&&) noexcept = default;
GifWriter& GifWriter::operator=(GifWriter&&) noexcept = default;
GifWriter::~GifWriter() = default;

int GifWriter::imageCount() const { return state_ ? state_->imageCount : 0; }

foundation::Result<std::unique_ptr<GifWriter::State>> GifWriter::open(std::optional<foundation::StreamedFile> file,
                                                                      int width, int height, int delayCentiseconds,
                                                                      int loopCount) {
    auto state = std::make_unique<State>(std::move(file), width, height, std::clamp(delayCentiseconds, 0, 65535));
    if (!state->quantizer.attributes) return encodingError("libimagequant could not start");
    // Speed 8 of 10 keeps the palette's quality close to the slow settings
    // for camera pictures at a fraction of the time.
    if (liq_set_speed(state->quantizer.attributes, 8) != LIQ_OK) return encodingError("liq_set_speed");

    int openError = 0;
    state->gif = EGifOpen(state.get(), &State::output, &openError);
    if (!state->gif) {
        const char* reason = GifErrorString(openError);
        return encodingError(std::string("EGifOpen: ") + (reason ? reason : "unknown error"));
    }
    // The graphics control and application extensions need GIF89a.
    EGifSetGifVersion(state->gif, true);
    if (auto described = state->check(EGifPutScreenDesc(state->gif, width, height, 8, 0, nullptr), "EGifPutScreenDesc");
        !described)
        return described.error();
    if (auto loop = state->writeLoopExtension(std::clamp(loopCount, 0, 65535)); !loop) return loop.error();
    return state;
}

foundation::Result<GifWriter> GifWriter::create(const std::string& path, int width, int height, int delayCentiseconds,
                                                int loopCount) {
    if (auto refused = sizeError(width, height)) return *refused;
    auto file = foundation::StreamedFile::create(path);
    if (!file) return file.error();
    auto state = open(std::move(file).value(), width, height, delayCentiseconds, loopCount);
    if (!state) return state.error();
    return GifWriter(std::move(state).value());
}

foundation::Result<GifWriter::Footprint> GifWriter::footprintOfPicture(const Image& image) {
    const QImage upright = image.normalized().bitmap();
    if (auto refused = sizeError(upright.width(), upright.height())) return *refused;
    auto opened = open(std::nullopt, upright.width(), upright.height(), 10, 0);
    if (!opened) return opened.error();
    GifWriter writer(std::move(opened).value());
    State& state = *writer.state_;
    state.flush();  // the GIF's head
    const size_t head = state.bytesWritten;
    if (auto added = writer.addImage(image); !added) return added.error();
    while (!state.quantizing.empty())
        if (auto written = state.writeOldest(); !written) return written.error();
    state.flush();
    const size_t picture = state.bytesWritten - head;
    int closeError = 0;
    EGifCloseFile(state.gif, &closeError);  // the trailer
    state.gif = nullptr;
    state.flush();
    if (state.failure) return *state.failure;
    return Footprint{state.bytesWritten - picture, picture};
}

foundation::Status GifWriter::addImage(const Image& image) {
    if (!state_ || !state_->gif) return encodingError("the writer has finished");
    State& state = *state_;
    if (state.failure) return *state.failure;
    QImage upright = image.normalized().bitmap();
    if (upright.width() != state.width || upright.height() != state.height)
        return foundation::Error(
            kImageErrorDomain, kImageErrorInvalidArgument,
            "A GIF picture must be " + std::to_string(state.width) + "×" + std::to_string(state.height) + " pixels.");
    // GIF pictures are opaque here; RGBX keeps libimagequant from spending
    // palette entries on alpha.
    state.quantizing.push_back(
        QuantizeJob::start(state.quantizer.attributes, upright.convertToFormat(QImage::Format_RGBX8888)));
    ++state.imageCount;
    while (state.quantizing.size() > picturesAhead())
        if (auto written = state.writeOldest(); !written) return written;
    return {};
}

foundation::Status GifWriter::finish() {
    if (!state_ || !state_->gif) return encodingError("the writer has finished");
    State& state = *state_;
    if (state.failure) return *state.failure;
    if (state.imageCount == 0)
        return foundation::Error(kImageErrorDomain, kImageErrorEmptyImage, "A GIF needs at least one picture.");
    while (!state.quantizing.empty())
        if (auto written = state.writeOldest(); !written) return written;
    int closeError = 0;
    int closed = EGifCloseFile(state.gif, &closeError);
    state.gif = nullptr;
    if (closed == GIF_ERROR && !state.failure) {
        const char* reason = GifErrorString(closeError);
        state.failure = encodingError(std::string("EGifCloseFile: ") + (reason ? reason : "unknown error"));
    }
    if (state.failure) return *state.failure;
    if (!state.flush()) return *state.failure;
    foundation::Status committed = state.file ? state.file->commit() : foundation::Status();
    if (!committed) state.failure = committed.error();
    return committed;
}

}  // namespace graphics
