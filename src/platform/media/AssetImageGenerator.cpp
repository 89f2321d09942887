#include "platform/media/AssetImageGenerator.h"

#include "platform/media/VideoFrameDecoder.h"

extern "C" {
#include <libavutil/imgutils.h>
}

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace media {

using detail::DecodedFramePtr;

struct AssetImageGenerator::Settings {
    bool appliesTransform = false;
    graphics::Size maximumSize;
    double toleranceBefore = std::numeric_limits<double>::infinity();
    double toleranceAfter = std::numeric_limits<double>::infinity();
};

namespace {

struct Outcome {
    ImageGeneratorResult result = ImageGeneratorResult::Failed;
    graphics::Image image;
    MediaTime actualTime = MediaTime::invalid();
    std::optional<foundation::Error> error;
    // A frame found ahead of its turn, turned into the picture when the
    // answer is due (decoded frames are a third of the picture's size).
    DecodedFramePtr frame;
    size_t heldBytes = 0;
};

// A requested time and the window its frame may come from, in seconds.
struct Window {
    MediaTime requested;
    double time = 0, earliest = 0, latest = 0;
};

// Decoded pictures kept for requests answered ahead of their turn.
constexpr size_t kAheadBudgetBytes = 256u << 20;

Outcome failure(foundation::Error error) {
    Outcome outcome;
    outcome.error = std::move(error);
    return outcome;
}

}  // namespace

// The decoder and what it last decoded, carried from batch to batch so that
// requests that go forward in time keep decoding where the last one ended.
class AssetImageGenerator::Engine {
public:
    explicit Engine(const Asset& asset) : asset_(asset) {
        if (auto track = asset.firstVideoTrack()) transform_ = track->preferredTransform;
    }

    void run(const std::vector<MediaTime>& times, const Settings& settings, const std::function<bool()>& cancelled,
             const std::function<void(size_t, Outcome)>& deliver) {
        settings_ = settings;
        windows_.clear();
        for (const MediaTime& time : times) {
            Window window;
            window.requested = time;
            window.time = time.seconds();
            window.earliest = window.time - settings.toleranceBefore;
            window.latest = window.time + settings.toleranceAfter;
            windows_.push_back(window);
        }
        byTime_.resize(windows_.size());
        std::iota(byTime_.begin(), byTime_.end(), size_t(0));
        std::stable_sort(byTime_.begin(), byTime_.end(),
                         [&](size_t a, size_t b) { return windows_[a].time < windows_[b].time; });
        // A window that leaves out its own time (a negative tolerance)
        // takes its first frame, not its nearest: every frame is decoded.
        skipsFrames_ = settings.toleranceBefore >= 0 && settings.toleranceAfter >= 0;
        outcomes_.assign(times.size(), std::nullopt);
        aheadBytes_ = 0;
        // Frames already handed to the decoder were turned down for the
        // last batch's times: past one of them this batch starts afresh.
        if (last_ && decoder_ && decoder_->latestFrameTurnedDown() > last_->seconds) last_.reset();

        for (size_t next = 0; next < times.size(); ++next) {
            if (!cancelled() && !outcomes_[next]) resolve(next, cancelled);
            if (cancelled()) {
                for (size_t rest = next; rest < times.size(); ++rest) {
                    Outcome outcome;
                    outcome.result = ImageGeneratorResult::Cancelled;
                    deliver(rest, std::move(outcome));
                }
                return;
            }
            Outcome outcome = outcomes_[next] ? std::move(*outcomes_[next]) : Outcome{};
            outcomes_[next].reset();
            aheadBytes_ -= std::min(aheadBytes_, outcome.heldBytes);
            if (outcome.frame) {
                auto image = pictureOf(*outcome.frame);
                if (image)
                    outcome.image = std::move(*image);
                else
                    outcome = failure(image.error());
                outcome.frame.reset();
            }
            deliver(next, std::move(outcome));
        }
    }

private:
    struct Tracked {
        size_t index;
        DecodedFramePtr best;
        bool dropped = false;
    };

    static size_t bytesOf(const AVFrame& frame) {
        const int size =
            av_image_get_buffer_size(static_cast<AVPixelFormat>(frame.format), frame.width, frame.height, 1);
        return size > 0 ? static_cast<size_t>(size) : static_cast<size_t>(frame.width) * frame.height * 4;
    }

    foundation::Status ensureDecoder() {
        if (decoder_) return {};
        auto opened = detail::VideoFrameDecoder::open(asset_.path());
        if (!opened) return opened.error();
        decoder_ = std::move(*opened);
        return {};
    }

    // Answers request `index`, and on the way every other open request whose
    // frame the same pass decodes, as far as the budget allows.
    void resolve(size_t index, const std::function<bool()>& cancelled) {
        if (auto status = ensureDecoder(); !status) {
            outcomes_[index] = failure(status.error());
            return;
        }
        const Window& wanted = windows_[index];
        // Reordering can put frames shown before a keyframe after it in the
        // file: start a little before the window so none is missed.
        const double margin = (decoder_->reorderDelay() + 2) * decoder_->frameDuration();
        const double start = std::max(0.0, wanted.earliest - margin);
        const bool continues = last_ && !atEnd_ && last_->seconds <= wanted.time &&
                               decoder_->keyframeAtOrBefore(start) <= last_->seconds + 1e-9;
        if (!continues) {
            if (auto status = decoder_->seek(start); !status) {
                outcomes_[index] = failure(status.error());
                last_.reset();
                return;
            }
            last_.reset();
            atEnd_ = false;
        }

        std::vector<Tracked> tracked;
        bool trackingChosen = false;
        auto chooseTracked = [&](double firstSeconds) {
            // A request can be answered in this pass when the pass starts at
            // or before its time: every earlier frame is farther from it.
            tracked.push_back({index, nullptr, false});
            for (size_t other = 0; other < windows_.size(); ++other)
                if (other != index && !outcomes_[other] && firstSeconds <= windows_[other].time)
                    tracked.push_back({other, nullptr, false});
            trackingChosen = true;
        };
        if (last_) {
            chooseTracked(last_->seconds);
            offer(last_, tracked, index);
        }

        while (!outcomes_[index]) {
            if (cancelled()) return;
            auto decoded = decoder_->next(wanted_);
            if (!decoded) {
                outcomes_[index] = failure(decoded.error());
                last_.reset();
                return;
            }
            if (!*decoded) {
                atEnd_ = true;
                if (!trackingChosen) tracked.push_back({index, nullptr, false});
                for (Tracked& entry : tracked)
                    if (!entry.dropped && !outcomes_[entry.index]) settle(entry, entry.best, entry.index == index);
                return;
            }
            last_ = *decoded;
            if (!trackingChosen) chooseTracked(last_->seconds);
            offer(last_, tracked, index);
        }
    }

    // Whether a frame may be the one chosen for an open request: it is in
    // the request's window and no frame read around it is nearer to the
    // request's time (of two as near, the earlier is chosen). Only the
    // nearest neighbour on the other side of the time can be nearer; a
    // request whose time lies beyond a neighbour has that one nearer.
    bool wanted(double seconds, const detail::FrameNeighbours& around) const {
        if (!skipsFrames_) return true;
        const double low = around.before.value_or(-std::numeric_limits<double>::infinity());
        const double high = around.after.value_or(std::numeric_limits<double>::infinity());
        auto first = std::upper_bound(byTime_.begin(), byTime_.end(), low,
                                      [&](double time, size_t index) { return time < windows_[index].time; });
        for (auto request = first; request != byTime_.end() && windows_[*request].time < high; ++request) {
            const Window& window = windows_[*request];
            if (outcomes_[*request] || seconds < window.earliest || seconds > window.latest) continue;
            if (seconds > window.time && around.before && *around.before >= window.earliest &&
                window.time - *around.before <= seconds - window.time)
                continue;
            if (seconds < window.time && around.after && *around.after <= window.latest &&
                *around.after - window.time < window.time - seconds)
                continue;
            return true;
        }
        return false;
    }

    // A decoded frame as a candidate for every tracked request.
    void offer(const DecodedFramePtr& frame, std::vector<Tracked>& tracked, size_t wanted) {
        for (Tracked& entry : tracked) {
            if (entry.dropped || outcomes_[entry.index]) continue;
            const Window& window = windows_[entry.index];
            if (frame->seconds < window.earliest) continue;
            if (frame->seconds <= window.time) {
                entry.best = frame;
                if (frame->seconds == window.time) settle(entry, frame, entry.index == wanted);
                continue;
            }
            DecodedFramePtr choice = entry.best;
            if (frame->seconds <= window.latest &&
                (!choice || frame->seconds - window.time < window.time - choice->seconds))
                choice = frame;
            settle(entry, choice, entry.index == wanted);
        }
        std::erase_if(tracked,
                      [&](const Tracked& entry) { return entry.dropped || outcomes_[entry.index].has_value(); });
    }

    // Answers a tracked request with its frame (a failure without one). A
    // request answered ahead of its turn only while the budget lasts; past
    // it, it waits for a pass of its own.
    void settle(Tracked& entry, const DecodedFramePtr& frame, bool isWanted) {
        const Window& window = windows_[entry.index];
        if (!frame) {
            outcomes_[entry.index] = failure(
                foundation::Error(kMediaErrorDomain, kMediaErrorNoFrameNearTime,
                                  "No video picture near " + std::to_string(window.time) + " s in " + asset_.path()));
            return;
        }
        Outcome outcome;
        if (!isWanted) {
            const size_t bytes = bytesOf(*frame->frame);
            if (aheadBytes_ + bytes > kAheadBudgetBytes) {
                entry.best.reset();
                entry.dropped = true;
                return;
            }
            aheadBytes_ += bytes;
            outcome.heldBytes = bytes;
        }
        outcome.result = ImageGeneratorResult::Succeeded;
        outcome.frame = frame;
        outcome.actualTime = MediaTime::fromSeconds(frame->seconds, 600);
        outcomes_[entry.index] = std::move(outcome);
    }

    foundation::Result<graphics::Image> pictureOf(const detail::DecodedFrame& decoded) {
        const AVFrame& frame = *decoded.frame;
        graphics::ImageOrientation orientation =
            settings_.appliesTransform ? orientationForTransform(transform_) : graphics::ImageOrientation::Up;
        const bool swaps = graphics::orientationSwapsAxes(orientation);
        double width = swaps ? frame.height : frame.width;
        double height = swaps ? frame.width : frame.height;
        double scale = 1.0;
        if (settings_.maximumSize.width > 0) scale = std::min(scale, settings_.maximumSize.width / width);
        if (settings_.maximumSize.height > 0) scale = std::min(scale, settings_.maximumSize.height / height);
        int outWidth = std::max(1, static_cast<int>(std::lround(width * scale)));
        int outHeight = std::max(1, static_cast<int>(std::lround(height * scale)));
        if (swaps) std::swap(outWidth, outHeight);
        return decoder_->picture(frame, outWidth, outHeight, orientation);
    }

    Asset asset_;
    graphics::AffineTransform transform_;
    Settings settings_;
    std::unique_ptr<detail::VideoFrameDecoder> decoder_;
    DecodedFramePtr last_;
    bool atEnd_ = false;
    std::vector<Window> windows_;
    std::vector<size_t> byTime_;  // indices of windows_ by their time
    bool skipsFrames_ = false;
    const detail::FrameWanted wanted_ = [this](double seconds, const detail::FrameNeighbours& around) {
        return wanted(seconds, around);
    };
    std::vector<std::optional<Outcome>> outcomes_;
    size_t aheadBytes_ = 0;
};

std::shared_ptr<AssetImageGenerator> AssetImageGenerator::create(Asset asset) {
    return std::shared_ptr<AssetImageGenerator>(new AssetImageGenerator(std::move(asset)));
}

AssetImageGenerator::AssetImageGenerator(Asset asset)
    : asset_(std::move(asset)),
      queue_("media.imagegenerator"),
      engine_(std::make_unique<Engine>(asset_)),
      generation_(std::make_shared<std::atomic<uint64_t>>(0)) {}

AssetImageGenerator::~AssetImageGenerator() { cancelAllImageGeneration(); }

AssetImageGenerator::Settings AssetImageGenerator::currentSettings() const {
    Settings settings;
    settings.appliesTransform = appliesPreferredTrackTransform;
    settings.maximumSize = maximumSize;
    settings.toleranceBefore = requestedTimeToleranceBefore.seconds();
    settings.toleranceAfter = requestedTimeToleranceAfter.seconds();
    return settings;
}

void AssetImageGenerator::generateImagesAsynchronously(std::vector<MediaTime> requestedTimes,
                                                       CompletionHandler handler) {
    Settings settings = currentSettings();
    const uint64_t generation = generation_->load();
    // The task keeps the generator alive until its batch is answered.
    auto self = shared_from_this();
    queue_.async([self, settings, generation, times = std::move(requestedTimes), handler = std::move(handler)] {
        std::lock_guard guard(self->engineMutex_);
        auto cancelled = [&] { return self->generation_->load() != generation; };
        self->engine_->run(times, settings, cancelled, [&](size_t index, Outcome outcome) {
            if (handler) handler(times[index], outcome.image, outcome.actualTime, outcome.result, outcome.error);
        });
    });
}

void AssetImageGenerator::cancelAllImageGeneration() { generation_->fetch_add(1); }

foundation::Result<graphics::Image> AssetImageGenerator::copyImageAtTime(MediaTime requestedTime,
                                                                         MediaTime* actualTime) {
    std::lock_guard guard(engineMutex_);
    std::optional<Outcome> answer;
    engine_->run(
        {requestedTime}, currentSettings(), [] { return false; },
        [&](size_t, Outcome outcome) { answer = std::move(outcome); });
    if (!answer || answer->result != ImageGeneratorResult::Succeeded)
        return answer && answer->error ? *answer->error
                                       : foundation::Error(kMediaErrorDomain, kMediaErrorUnknown, "No picture");
    if (actualTime) *actualTime = answer->actualTime;
    return std::move(answer->image);
}

graphics::Image posterImageOfMovie(const std::string& path, graphics::Size maximumSize) {
    auto asset = Asset::open(path);
    if (!asset || !asset->firstVideoTrack()) return {};
    auto generator = AssetImageGenerator::create(std::move(*asset));
    generator->appliesPreferredTrackTransform = true;
    generator->maximumSize = maximumSize;
    auto image = generator->copyImageAtTime(MediaTime::zero());
    return image ? *image : graphics::Image();
}

}  // namespace media
