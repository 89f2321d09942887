#include "platform/media/AudioOutput.h"

#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioMixReader.h"
#include "platform/media/AudioPcmReader.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace media {

namespace {

std::shared_ptr<AudioOutput>& installed() {
    static std::shared_ptr<AudioOutput> output;
    return output;
}

std::string_view lastComponent(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Interface sounds are short: longer files are cut here.
constexpr int64_t kLongestSoundFrames = int64_t(AudioOutput::kSoundRate) * 60;
// A stream that has not played its sound at the sound's end is looked at
// again when it should have, but not sooner than this.
constexpr double kPlayOutRecheckSeconds = 0.02;

// Keeps the output's count of open streams.
class CountedStream : public AudioStream {
public:
    CountedStream(std::unique_ptr<AudioStream> stream, std::shared_ptr<size_t> count)
        : stream_(std::move(stream)), count_(std::move(count)) {
        ++*count_;
    }
    ~CountedStream() override {
        stream_.reset();  // closed on the device before it stops counting
        --*count_;
    }
    void start() override { stream_->start(); }
    void pause() override { stream_->pause(); }
    int64_t framesPlayed() const override { return stream_->framesPlayed(); }
    int64_t framesQueued() const override { return stream_->framesQueued(); }
    bool failed() const override { return stream_->failed(); }

private:
    std::unique_ptr<AudioStream> stream_;
    std::shared_ptr<size_t> count_;
};

// What the listener has heard of a stream.
int64_t framesHeard(const AudioStream& stream) { return stream.framesPlayed() - stream.framesQueued(); }

}  // namespace

// Where a playing interface sound is; shared with its stream's pull, which
// holds no reference back to the stream.
struct AudioOutput::Cursor {
    std::shared_ptr<const Samples> samples;
    float volume = 1.0f;
    size_t nextFrame = 0;

    size_t frameCount() const { return samples->size() / kSoundChannels; }
    size_t pull(int16_t* out, size_t frames) {
        const size_t filled = std::min(frames, frameCount() - std::min(nextFrame, frameCount()));
        const int16_t* from = samples->data() + nextFrame * kSoundChannels;
        for (size_t i = 0; i < filled * kSoundChannels; ++i) out[i] = int16_t(float(from[i]) * volume);
        nextFrame += filled;
        return filled;
    }
};

AudioOutput::Sound::~Sound() {
    if (closeTimer) closeTimer->invalidate();
}

AudioOutput::AudioOutput() = default;
AudioOutput::~AudioOutput() = default;

std::shared_ptr<AudioOutput> AudioOutput::shared() {
    auto& output = installed();
    if (!output) {
        const char* choice = std::getenv("TOLLIVAR_AUDIO");
        if (choice && std::string_view(choice) == "null")
            output = std::make_shared<NullAudioOutput>();
        else
            output = makeDeviceAudioOutput();
    }
    return output;
}

void AudioOutput::setShared(std::shared_ptr<AudioOutput> output) { installed() = std::move(output); }

std::unique_ptr<AudioStream> AudioOutput::openStream(int sampleRate, int channelCount, PcmPull pull) {
    auto stream = openDeviceStream(sampleRate, channelCount, std::move(pull));
    if (!stream) return nullptr;
    return std::make_unique<CountedStream>(std::move(stream), openStreams_);
}

std::unique_ptr<AudioStream> AudioOutput::openDeviceStream(int, int, PcmPull) { return nullptr; }

// ---- interface sounds ---------------------------------------------------------------------

bool AudioOutput::play(const std::string& path, double, float volume) {
    const std::shared_ptr<const Samples> samples = samplesFor(path);
    if (!samples) return false;
    auto sound = std::make_unique<Sound>();
    sound->cursor = std::make_shared<Cursor>();
    sound->cursor->samples = samples;
    sound->cursor->volume = std::clamp(volume, 0.0f, 1.0f);
    sound->stream = openStream(kSoundRate, kSoundChannels,
                               [cursor = sound->cursor](int16_t* out, size_t frames) { return cursor->pull(out, frames); });
    if (!sound->stream) return false;
    sounds_.erase(path);  // the same sound playing closes before it starts over
    sound->stream->start();
    sound->startedAt = foundation::RunLoop::main().now();
    const double length = double(sound->cursor->frameCount()) / kSoundRate;
    sound->closeTimer = foundation::RunLoop::main().scheduleTimer(
        length, false, life_.guard([this, path](foundation::Timer&) { closeWhenPlayedOut(path); }));
    sounds_[path] = std::move(sound);
    return true;
}

void AudioOutput::stop(const std::string& path) { sounds_.erase(path); }

bool AudioOutput::isPlaying(const std::string& path) const {
    auto found = sounds_.find(path);
    if (found == sounds_.end()) return false;
    const Sound& sound = *found->second;
    return !sound.stream->failed() && framesHeard(*sound.stream) < int64_t(sound.cursor->frameCount());
}

void AudioOutput::closeWhenPlayedOut(const std::string& path) {
    auto found = sounds_.find(path);
    if (found == sounds_.end()) return;
    Sound& sound = *found->second;
    sound.closeTimer.reset();
    const double rate = kSoundRate;
    const int64_t frames = int64_t(sound.cursor->frameCount());
    const int64_t played = framesHeard(*sound.stream);
    const double now = foundation::RunLoop::main().now();
    const double latest = sound.startedAt + double(frames) / rate + kPlayOutGraceSeconds;
    if (played >= frames || sound.stream->failed() || now >= latest) {
        sounds_.erase(found);
        return;
    }
    const double wait = std::clamp(double(frames - played) / rate, kPlayOutRecheckSeconds, latest - now);
    sound.closeTimer = foundation::RunLoop::main().scheduleTimer(
        wait, false, life_.guard([this, path](foundation::Timer&) { closeWhenPlayedOut(path); }));
}

std::shared_ptr<const AudioOutput::Samples> AudioOutput::samplesFor(const std::string& path) {
    auto found = decoded_.find(path);
    if (found != decoded_.end()) return found->second;
    auto reader = AudioPcmReader::open(path, kSoundRate, kSoundChannels);
    if (!reader) return nullptr;
    auto samples = std::make_shared<Samples>();
    constexpr int64_t kChunkFrames = 4096;
    std::vector<float> chunk(kChunkFrames * kSoundChannels);
    for (;;) {
        auto frames = (*reader)->read(chunk.data(), kChunkFrames);
        if (!frames) return nullptr;
        if (*frames == 0) break;
        for (int64_t i = 0; i < *frames * kSoundChannels; ++i) samples->push_back(saturatedSample(chunk[size_t(i)]));
        if (int64_t(samples->size()) / kSoundChannels > kLongestSoundFrames) break;
    }
    decoded_[path] = samples;
    return samples;
}

// ---- the null output ------------------------------------------------------------------------

bool NullAudioOutput::play(const std::string& path, double durationSeconds, float) {
    Sound& sound = sounds_[path];
    ++sound.plays;
    sound.endsAt = foundation::RunLoop::main().now() + durationSeconds;
    return true;
}

void NullAudioOutput::stop(const std::string& path) {
    auto found = sounds_.find(path);
    if (found == sounds_.end()) return;
    ++found->second.stops;
    found->second.endsAt = 0;
}

bool NullAudioOutput::isPlaying(const std::string& path) const {
    auto found = sounds_.find(path);
    return found != sounds_.end() && foundation::RunLoop::main().now() < found->second.endsAt;
}

const NullAudioOutput::Sound* NullAudioOutput::find(const std::string& fileName) const {
    for (const auto& [path, sound] : sounds_)
        if (lastComponent(path) == fileName) return &sound;
    return nullptr;
}

int NullAudioOutput::plays(const std::string& fileName) const {
    const Sound* sound = find(fileName);
    return sound ? sound->plays : 0;
}

int NullAudioOutput::stops(const std::string& fileName) const {
    const Sound* sound = find(fileName);
    return sound ? sound->stops : 0;
}

int NullAudioOutput::totalPlays() const {
    int total = 0;
    for (const auto& [path, sound] : sounds_) total += sound.plays;
    return total;
}

}  // namespace media
