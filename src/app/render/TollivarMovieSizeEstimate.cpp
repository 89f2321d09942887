// The movie renderer's size estimate. The encoder's bit rate is a ceiling
// that held stop-motion pictures never come near: a held picture costs a
// few bytes, a nearly identical one little, and only a new photo or a key
// picture much. So the estimate measures: a few windows of the movie's own
// pictures, composed and encoded exactly as a render does it at that size,
// give the mean cost of each class of picture (MoviePictures.h); every
// class is counted over the whole movie; the PCM sound and the container's
// tables are added as the file will hold them. A short movie is encoded
// whole.

#include "app/audio/KWAudioMuxer.h"
#include "app/render/MoviePictures.h"
#include "app/render/RenderImageProducer.h"
#include "app/render/TollivarMovieRenderer.h"
#include "platform/foundation/DispatchGroup.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Memory.h"
#include "platform/media/AudioMixReader.h"
#include "platform/media/VideoTrackMeter.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unordered_map>

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
// Composers of a window's pictures, as many as a render's.
constexpr size_t kEstimateComposers = 3;
constexpr const char* kEstimateQueueLabel = "com.marrowick.estimatequeue";

// One estimate at a time: an encoder at 3840×2160 holds a few hundred
// megabytes, and a share screen asks for every size at once.
const foundation::DispatchQueue& estimateQueue() {
    static const auto* queue = new foundation::DispatchQueue(kEstimateQueueLabel);
    return *queue;
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

// Estimates of movies measured before, by what decides them: a share
// sheet opened again for an unchanged project shows its sizes at once.
class EstimateCache {
public:
    static EstimateCache& shared() {
        static auto* cache = new EstimateCache();
        return *cache;
    }
    std::optional<int64_t> find(size_t key) const {
        std::lock_guard lock(mutex_);
        auto found = kilobytes_.find(key);
        return found == kilobytes_.end() ? std::nullopt : std::optional<int64_t>(found->second);
    }
    void remember(size_t key, int64_t kilobytes) {
        std::lock_guard lock(mutex_);
        if (kilobytes_.emplace(key, kilobytes).second) order_.push_back(key);
        if (order_.size() > kEntries) {
            kilobytes_.erase(order_.front());
            order_.pop_front();
        }
    }

private:
    static constexpr size_t kEntries = 64;
    mutable std::mutex mutex_;
    std::unordered_map<size_t, int64_t> kilobytes_;
    std::deque<size_t> order_;
};

// What decides the estimate of a movie of `type`: the project's folder, the
// size and rate, the picture settings, and every frame of the movie by
// identifier, hold and stored picture (its length and time of change, so a
// painted or replaced picture counts as another), and the foreground. None
// for a project without a folder. Main thread.
std::optional<size_t> estimateKey(const ProjectModel& project, const RenderSnapshot& snapshot,
                                  const MovieExportType& type) {
    const std::optional<std::string> folder = project.getProjectPath();
    if (!folder) return std::nullopt;
    auto stamp = [&](const std::string& file) {
        struct stat info {};
        const std::optional<std::string> path = project.pathForFile(file);
        if (!path || ::stat(path->c_str(), &info) != 0) return std::string("-");
        return std::to_string(info.st_size) + "@" + std::to_string(info.st_mtim.tv_sec) + "." +
               std::to_string(info.st_mtim.tv_nsec);
    };
    const KWImageProducer::PictureSettings& settings = snapshot.pictures;
    std::string what = *folder + "|" + type.size().toString() + "|" + std::to_string(settings.fps) + "|" +
                       std::to_string(settings.movieEffect) + std::to_string(settings.fadeIn) +
                       std::to_string(settings.fadeOut) + std::to_string(settings.foreground) + "|" +
                       stamp(RenderImageProducer::kForegroundFile);
    for (const ExpandedFrames::Run& run : snapshot.frames.runs())
        what += "|" + run.frame->frameID() + ":" + std::to_string(run.end - run.first) + ":" +
                stamp(KWImageProducer::frameFileName(run.frame->frameID()));
    return std::hash<std::string>()(what);
}

}  // namespace

int64_t TollivarMovieRenderer::getEstimatedFileSizeAfterExportforType(const MovieExportType& type) {
    const RenderSnapshot snapshot = RenderSnapshot::ofProject(*project());
    const std::optional<size_t> key = estimateKey(*project(), snapshot, type);
    if (key)
        if (std::optional<int64_t> known = EstimateCache::shared().find(*key)) return *known;
    const std::optional<double> bytes = measuredMovieBytes(snapshot, type, foundation::Progress());
    const int64_t kilobytes = bytes ? kilobytesEstimate(*bytes) : kNoEstimate;
    if (key) EstimateCache::shared().remember(*key, kilobytes);
    return kilobytes;
}

foundation::Progress TollivarMovieRenderer::estimateFileSizeAfterExportForType(const MovieExportType& type,
                                                                               EstimateHandler completion) {
    foundation::Progress progress;
    auto kilobytes = std::make_shared<std::atomic<int64_t>>(kNoEstimate);
    progress.setCompletionHandler(
        [kilobytes, completion = std::move(completion)](const foundation::Progress::Result& result) {
            if (result.outcome == foundation::Progress::Outcome::Finished && completion) completion(kilobytes->load());
        });
    RenderSnapshot snapshot = RenderSnapshot::ofProject(*project());
    const std::optional<size_t> key = estimateKey(*project(), snapshot, type);
    if (std::optional<int64_t> known = key ? EstimateCache::shared().find(*key) : std::nullopt) {
        kilobytes->store(*known);
        // Told on a later turn, as a measured one is.
        foundation::DispatchQueue::main().async([progress] { progress.finish(); });
        return progress;
    }
    auto self = std::static_pointer_cast<TollivarMovieRenderer>(shared_from_this());
    estimateQueue().async([self, snapshot = std::move(snapshot), type, key, progress, kilobytes] {
        // Work for no one waiting on it: the screen and a render come first.
        const foundation::ScopedBatchScheduling batch;
        if (!progress.isCancelled()) {
            const std::optional<double> bytes = self->measuredMovieBytes(snapshot, type, progress);
            const int64_t measured = bytes ? kilobytesEstimate(*bytes) : kNoEstimate;
            kilobytes->store(measured);
            if (key && !progress.isCancelled()) EstimateCache::shared().remember(*key, measured);
            // The encoder's memory (a few hundred megabytes at 3840×2160) goes
            // back to the system rather than waiting in the allocator.
            foundation::memory::releaseFreedMemory();
        }
        progress.finish();
    });
    return progress;
}

std::optional<double> TollivarMovieRenderer::measuredMovieBytes(const RenderSnapshot& snapshot,
                                                                const MovieExportType& type,
                                                                const foundation::Progress& progress) {
    const graphics::Size size = type.size();
    // A movie longer than a QuickTime file holds is never written.
    if (snapshot.frames.empty() || snapshot.frames.count() >= kMaximumPictures ||
        static_cast<int64_t>(size.width) <= 0 || static_cast<int64_t>(size.height) <= 0)
        return std::nullopt;
    const media::VideoSettings settings = videoSettings(size, type, snapshot.pictures.fps);
    KWImageProducer fades(project(), snapshot.pictures);
    const int64_t total = snapshot.frames.count();
    // Key pictures come at least every two seconds (VideoSettings).
    const MoviePictures pictures(
        snapshot.frames,
        [&fades, total](int64_t position) {
            return fades.calculateAlphaForFadeforFrameAtIndex(position, total) != 0.0f;
        },
        2 * int64_t(settings.frameRate));

    ClassCosts costs;
    double sampledBytes = 0;
    const std::vector<MoviePictures::Window> windows = pictures.sampleWindows(kSampleWindows, kSampleWindowPictures);
    const bool wholeMovie = windows.size() == 1 && windows.front().count == pictures.count();
    // One encoder for the windows one after the other, each beginning with
    // a key picture: opening one at a large size costs as much as encoding a
    // few pictures. Between windows the last picture rests a fifth of a
    // second, as held pictures do in a movie; without a rest the windows'
    // key pictures come far closer together than a movie's, and the encoder
    // starves the pictures after them to keep to its bit rate.
    auto meter = media::VideoTrackMeter::open(settings);
    if (!meter) return std::nullopt;
    const int64_t rest = std::max<int64_t>(1, std::llround(double(settings.frameRate) * kRestSeconds));
    std::vector<std::optional<size_t>> classes;  // none for a resting picture
    std::shared_ptr<const media::PixelBuffer> last;
    for (const MoviePictures::Window& window : windows) {
        for (int64_t r = 0; last && r < rest; ++r) {
            if (!(*meter)->append(*last)) return std::nullopt;
            classes.push_back(std::nullopt);
        }
        const std::vector<size_t> windowClasses = pictures.classesInWindow(window);
        classes.insert(classes.end(), windowClasses.begin(), windowClasses.end());
        const std::vector<std::shared_ptr<const media::PixelBuffer>> shown =
            composeWindow(snapshot, pictures, window, size, progress);
        if (shown.empty()) return std::nullopt;
        for (size_t i = 0; i < shown.size(); ++i)
            if (!(*meter)->append(*shown[i], i == 0)) return std::nullopt;
        last = shown.back();
    }
    auto bytes = (*meter)->finish();
    if (!bytes || bytes->size() != classes.size()) return std::nullopt;
    for (size_t i = 0; i < classes.size(); ++i) {
        if (!classes[i]) continue;
        costs.add(*classes[i], double((*bytes)[i]));
        sampledBytes += double((*bytes)[i]);
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

std::vector<std::shared_ptr<const media::PixelBuffer>> TollivarMovieRenderer::composeWindow(
    const RenderSnapshot& snapshot, const MoviePictures& pictures, const MoviePictures::Window& window,
    graphics::Size size, const foundation::Progress& progress) {
    // The pictures that differ from the one before, composed in parallel by
    // composers of their own, as a render's are.
    std::vector<int64_t> differing;
    for (int64_t k = window.first; k < window.first + window.count; ++k)
        if (k == window.first || pictures.kindAfterPrevious(k) != MoviePictures::Kind::Held) differing.push_back(k);
    std::vector<std::shared_ptr<const media::PixelBuffer>> composed(differing.size());
    const size_t composers = std::min(differing.size(), kEstimateComposers);
    foundation::DispatchGroup group;
    for (size_t worker = 0; worker < composers; ++worker) {
        group.async(foundation::DispatchQueue::global(), [&, worker] {
            const foundation::ScopedBatchScheduling batch;
            RenderImageProducer producer(project(), snapshot.pictures);
            for (size_t i = worker; i < differing.size() && !progress.isCancelled(); i += composers) {
                const int64_t position = MoviePictures::positionOf(differing[i]);
                composed[i] = std::make_shared<const media::PixelBuffer>(composePicture(
                    producer, snapshot.frames.frameAt(position), position, snapshot.frames.count(), size, nullptr));
            }
        });
    }
    {
        const foundation::ScopedBlockingWork waiting;
        group.wait();
    }
    if (progress.isCancelled()) return {};
    // A repeat is the picture before again, as the render hands it over.
    std::vector<std::shared_ptr<const media::PixelBuffer>> shown;
    for (int64_t k = window.first, next = 0; k < window.first + window.count; ++k) {
        if (size_t(next) < differing.size() && differing[size_t(next)] == k) ++next;
        shown.push_back(composed[size_t(next - 1)]);
    }
    return shown;
}
