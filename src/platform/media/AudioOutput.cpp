#include "platform/media/AudioOutput.h"

#include "platform/foundation/RunLoop.h"

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

}  // namespace

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

std::unique_ptr<AudioStream> AudioOutput::openStream(int, int, PcmPull) { return nullptr; }

void AudioOutput::setShared(std::shared_ptr<AudioOutput> output) { installed() = std::move(output); }

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
