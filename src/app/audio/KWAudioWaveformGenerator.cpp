#include "app/audio/KWAudioWaveformGenerator.h"

#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/media/Asset.h"
#include "platform/media/AudioPcmReader.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>

namespace {

std::atomic<int64_t> gAudioReads{0};

constexpr int64_t kReadFrames = 8192;
// A file whose headers understate its length would give a column for every
// few frames and a picture wider than memory: reading stops at this many
// columns per point asked for.
constexpr double kMaxColumnsPerPoint = 4;

int16_t toInt16(float sample) {
    const float clamped = std::clamp(sample, -1.0f, 1.0f);
    return static_cast<int16_t>(std::lround(clamped * 32767.0f));
}

}  // namespace

WaveformColumns::WaveformColumns(int64_t samplesPerPoint, int channelCount)
    : samplesPerPoint_(std::max<int64_t>(samplesPerPoint, 0)), channelCount_(channelCount) {}

void WaveformColumns::addFrame(const int16_t* frame) {
    left_ += std::abs(static_cast<int>(frame[0]));
    if (channelCount_ == 2) right_ += std::abs(static_cast<int>(frame[1]));
    ++count_;
    if (count_ <= samplesPerPoint_) return;
    auto append = [this](int64_t sum) {
        const auto value = static_cast<int16_t>(std::min<int64_t>(sum / count_, 32767));
        values_.push_back(value);
        max_ = std::max(max_, value);
    };
    append(left_);
    if (channelCount_ == 2) append(right_);
    left_ = right_ = count_ = 0;
}

graphics::Color KWAudioWaveformGenerator::firstChannelColor() { return graphics::Color::rgb8(20, 77, 130); }

int64_t KWAudioWaveformGenerator::samplesPerPoint(int sampleRate, double durationSeconds, double width) {
    if (!(width > 0) || sampleRate <= 0 || !(durationSeconds > 0)) return 0;
    const float perPoint =
        static_cast<float>(sampleRate) * static_cast<float>(durationSeconds) / static_cast<float>(width);
    return static_cast<int64_t>(perPoint);
}

int64_t KWAudioWaveformGenerator::audioReadCount() { return gAudioReads.load(); }

std::optional<graphics::Image> KWAudioWaveformGenerator::renderPNGAudioPictogramForAssett(const std::string& path,
                                                                                          graphics::Size withSize) {
    if (!(withSize.width > 0) || !(withSize.height > 0)) return std::nullopt;
    auto asset = media::Asset::open(path);
    if (!asset.ok()) return std::nullopt;
    const auto tracks = asset->tracksWithMediaType(media::MediaType::Audio);
    if (tracks.empty() || tracks.front().sampleRate <= 0) return std::nullopt;
    const int channels = std::clamp(tracks.front().channelCount, 1, 2);
    auto reader = media::AudioPcmReader::open(path, tracks.front().sampleRate, channels, tracks.front().trackID);
    if (!reader.ok()) return std::nullopt;
    ++gAudioReads;

    WaveformColumns columns(samplesPerPoint(tracks.front().sampleRate, asset->durationSeconds(), withSize.width),
                            channels);
    std::vector<float> samples(static_cast<size_t>(kReadFrames * channels));
    std::vector<int16_t> frame(static_cast<size_t>(channels));
    const auto maxValues = static_cast<size_t>(std::ceil(withSize.width * kMaxColumnsPerPoint)) * size_t(channels);
    while (columns.values().size() < maxValues) {
        auto got = (*reader)->read(samples.data(), kReadFrames);
        if (!got.ok()) return std::nullopt;
        if (*got == 0) break;
        for (int64_t i = 0; i < *got; ++i) {
            for (int c = 0; c < channels; ++c) frame[size_t(c)] = toInt16(samples[size_t(i * channels + c)]);
            columns.addFrame(frame.data());
        }
    }
    const auto& values = columns.values();
    return audioImageGraph(values, columns.normalizeMax(), static_cast<int64_t>(std::min(values.size(), maxValues)), 1,
                           static_cast<float>(withSize.height));
}

graphics::Image KWAudioWaveformGenerator::audioImageGraph(const std::vector<int16_t>& samples, int16_t normalizeMax,
                                                          int64_t sampleCount, int64_t channelCount,
                                                          float imageHeight) {
    const int64_t count = std::clamp<int64_t>(sampleCount, 0, static_cast<int64_t>(samples.size()));
    const int64_t channels = std::clamp<int64_t>(channelCount, 1, 2);
    graphics::GraphicsContext context(graphics::Size{static_cast<double>(std::max<int64_t>(count / channels, 1)), static_cast<double>(imageHeight)}, 1.0);
    if (normalizeMax <= 0) return context.makeImage();
    context.setAlpha(1);
    context.setLineWidth(1);
    const double band = imageHeight / double(channels);
    const double firstCentre = band / 2;
    // The loudest column reaches the edges of its channel's band.
    const double scale = (band / 2) / normalizeMax;
    for (int64_t i = 0, x = 0; i + channels <= count; i += channels, ++x) {
        for (int64_t c = 0; c < channels; ++c) {
            const double centre = firstCentre + double(c) * band;
            const double v = std::abs(static_cast<double>(samples[size_t(i + c)])) * scale;
            context.setStrokeColor(c == 0 ? firstChannelColor() : graphics::Color::rgb8(255, 0, 0));
            context.strokeLine(graphics::Point{double(x) + 0.5, centre - v},
                               graphics::Point{double(x) + 0.5, centre + v});
        }
    }
    return context.makeImage();
}
