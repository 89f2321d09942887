// The movie renderer's size estimate. The encoder's bit rate is a ceiling
// that held stop-motion pictures never come near: a held picture costs a
// few bytes, a nearly identical one little, and only a new photo or a key
// picture much. So the estimate measures: a few windows of the movie's own
// pictures, composed as a render composes them and encoded with the
// render's settings at that size, give the mean cost of each class of
// picture (MoviePictures.h); every class is counted over the whole movie;
// the PCM sound and the container's tables are added as the file will hold
// them. A short movie is encoded whole.
//
// Its memory stays small whatever the size. An encoder holds memory in
// proportion to its pictures (most of a gigabyte for a render's at
// 3840×2160), so the pictures are measured in strips across their whole
// width, one strip after the other, each with a small encoder
// (VideoTrackMeter.h) of its own whose share of the bit rate is the strip's
// share of the picture; a picture takes what its strips take together. One
// strip of one picture is drawn at a time, and a cancel is noticed at the
// next one.

#include "app/audio/KWAudioMuxer.h"
#include "app/render/MoviePictures.h"
#include "app/render/RenderImageProducer.h"
#include "app/render/TollivarMovieRenderer.h"
#include "platform/media/AudioMixReader.h"
#include "platform/media/PixelBuffer.h"
#include "platform/media/VideoTrackMeter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace {

// Windows of pictures encoded per size: the movie's start, middle and end.
constexpr int64_t kSampleWindows = 3;
constexpr int64_t kSampleWindowPictures = 4;
// The movie's header (about 1.6 KB for a short movie), and what its tables
// take per picture and per second of sound (sizes, chunk offsets, key
// pictures).
constexpr double kContainerBytes = 1536;
constexpr double kContainerBytesPerPicture = 8;
constexpr double kContainerBytesPerSoundSecond = 32;
// How long the last picture of a window rests before the next window.
constexpr double kRestSeconds = 0.2;
// About what a strip holds: its encoder then takes a few tens of megabytes.
constexpr double kStripPixels = 768 * 1024;

struct Strip {
    int top = 0;
    int rows = 0;
};

// The strips of a picture: rows in multiples of 16, an encoder's blocks,
// and a last strip of at least half that many (an even number, as a 4:2:0
// picture has).
std::vector<Strip> stripsOf(int width, int height) {
    const int rows = std::max(16, int(kStripPixels / std::max(width, 1)) / 16 * 16);
    std::vector<Strip> strips;
    for (int top = 0; top < height;) {
        const int taken = height - top < rows + rows / 2 ? height - top : rows;
        strips.push_back({top, taken});
        top += taken;
    }
    return strips;
}

// The mean bytes of each class of picture among the windows encoded.
class ClassCosts {
public:
    void add(size_t pictureClass, double bytes) {
        bytes_[pictureClass] += bytes;
        pictures_[pictureClass] += 1;
    }
    // The mean of a class; none when no window held one.
    std::optional<double> mean(size_t pictureClass) const {
        if (pictures_[pictureClass] == 0) return std::nullopt;
        return bytes_[pictureClass] / pictures_[pictureClass];
    }
    // A repeat at that distance, or the nearest measured.
    std::optional<double> repeatMean(int64_t distance) const {
        for (int64_t step = 0; step < MoviePictures::kDistances; ++step)
            for (int64_t d : {distance - step, distance + step})
                if (d >= 1 && d <= MoviePictures::kDistances)
                    if (auto measured = mean(MoviePictures::classOf(MoviePictures::Kind::Held, d))) return measured;
        return std::nullopt;
    }

private:
    std::array<double, MoviePictures::kClasses> bytes_{};
    std::array<double, MoviePictures::kClasses> pictures_{};
};

}  // namespace

std::optional<double> TollivarMovieRenderer::estimatedBytes(const EstimateBasis& basis, const MovieExportType& type,
                                                            const foundation::Progress& progress) {
    const RenderSnapshot& snapshot = basis.snapshot();
    const graphics::Size size = type.size();
    // A movie longer than a QuickTime file holds is never written.
    if (snapshot.frames.empty() || snapshot.frames.count() >= kMaximumPictures ||
        static_cast<int64_t>(size.width) <= 0 || static_cast<int64_t>(size.height) <= 0)
        return std::nullopt;
    const media::VideoSettings settings = videoSettings(size, type, snapshot.pictures.fps);
    RenderImageProducer producer(project(), snapshot.pictures);
    const int64_t total = snapshot.frames.count();
    // Key pictures come at least every two seconds (VideoSettings).
    const MoviePictures pictures(
        snapshot.frames,
        [&producer, total](int64_t position) {
            return producer.calculateAlphaForFadeforFrameAtIndex(position, total) != 0.0f;
        },
        2 * int64_t(settings.frameRate));

    const std::vector<MoviePictures::Window> windows = pictures.sampleWindows(kSampleWindows, kSampleWindowPictures);
    const bool wholeMovie = windows.size() == 1 && windows.front().count == pictures.count();
    // The windows go to each encoder one after the other, each beginning
    // with a key picture. Between windows the last picture rests a fifth of
    // a second, as held pictures do in a movie; without a rest the windows'
    // key pictures come far closer together than a movie's, and the encoder
    // starves the pictures after them to keep to its bit rate.
    const int64_t rest = std::max<int64_t>(1, std::llround(double(settings.frameRate) * kRestSeconds));
    std::vector<std::optional<size_t>> classes;  // by picture handed over; none for a resting one
    for (const MoviePictures::Window& window : windows) {
        if (!classes.empty()) classes.insert(classes.end(), size_t(rest), std::nullopt);
        for (size_t pictureClass : pictures.classesInWindow(window)) classes.push_back(pictureClass);
    }
    std::vector<int64_t> bytes(classes.size(), 0);
    const int width = int(size.width), height = int(size.height);
    for (const Strip& strip : stripsOf(width, height)) {
        media::VideoSettings stripSettings = settings;
        stripSettings.height = strip.rows;
        stripSettings.averageBitRate =
            std::max<int64_t>(1, std::llround(double(settings.averageBitRate) * strip.rows / height));
        auto meter = media::VideoTrackMeter::open(stripSettings);
        if (!meter) return std::nullopt;
        // The strip last handed over: a repeat, or a rest, is that one again,
        // as the render hands it over.
        std::optional<media::PixelBuffer> last;
        for (const MoviePictures::Window& window : windows) {
            for (int64_t r = 0; last && r < rest; ++r)
                if (progress.isCancelled() || !(*meter)->append(*last)) return std::nullopt;
            for (int64_t k = window.first; k < window.first + window.count; ++k) {
                if (progress.isCancelled()) return std::nullopt;
                if (!last || k == window.first || pictures.kindAfterPrevious(k) != MoviePictures::Kind::Held) {
                    last.reset();
                    const int64_t position = MoviePictures::positionOf(k);
                    last = media::convertedTo420Planar(pixelBufferFromCGImage(
                        producer.getStripOfRendering(snapshot.frames.frameAt(position), size, position, total,
                                                     strip.top, strip.rows),
                        width, strip.rows));
                }
                if (!(*meter)->append(*last, k == window.first)) return std::nullopt;
            }
        }
        last.reset();
        if (progress.isCancelled()) return std::nullopt;
        auto stripBytes = (*meter)->finish();
        if (!stripBytes || stripBytes->size() != bytes.size()) return std::nullopt;
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] += (*stripBytes)[i];
    }
    ClassCosts costs;
    double sampledBytes = 0;
    for (size_t i = 0; i < classes.size(); ++i) {
        if (!classes[i]) continue;
        costs.add(*classes[i], double(bytes[i]));
        sampledBytes += double(bytes[i]);
    }

    double videoBytes = sampledBytes;
    if (!wholeMovie) {
        using Kind = MoviePictures::Kind;
        const std::array<double, MoviePictures::kClasses> counts = pictures.countsByClass();
        // A kind no window held costs what the nearest kind does: a change
        // at most a key picture, a fade step at most a change, a repeat the
        // least a picture costs.
        const double key = costs.mean(MoviePictures::classOf(Kind::Key)).value_or(0);
        const double changed = costs.mean(MoviePictures::classOf(Kind::Changed)).value_or(key);
        const double faded = costs.mean(MoviePictures::classOf(Kind::Faded)).value_or(changed);
        videoBytes = counts[MoviePictures::classOf(Kind::Key)] * key +
                     counts[MoviePictures::classOf(Kind::Changed)] * changed +
                     counts[MoviePictures::classOf(Kind::Faded)] * faded;
        for (int64_t d = 1; d <= MoviePictures::kDistances; ++d)
            videoBytes += counts[MoviePictures::classOf(Kind::Held, d)] *
                          costs.repeatMean(d).value_or(double(kSmallestPictureBytes));
    }
    // The bit rate is a ceiling the encoder keeps to (VideoSettings): no
    // second of pictures takes more, but for the buffer of one second's
    // worth it may spend ahead. Pictures that cost more than it (fine grain
    // at a high rate) are made to cost less as the movie goes on.
    const double ceiling =
        double(settings.averageBitRate) / 8 * (double(pictures.count()) / double(settings.frameRate) + 1);
    videoBytes = std::min(videoBytes, ceiling);
    const double soundSeconds = double(KWAudioMuxer::movieEndMilliseconds(total, snapshot.pictures.fps)) / 1000;
    const double soundBytes =
        soundSeconds * media::AudioMixReader::kSampleRate * media::AudioMixReader::kChannelCount * 2;
    const double containerBytes = kContainerBytes + kContainerBytesPerPicture * double(pictures.count()) +
                                  kContainerBytesPerSoundSecond * soundSeconds;
    return videoBytes + soundBytes + containerBytes;
}
