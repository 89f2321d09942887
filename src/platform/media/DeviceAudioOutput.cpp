// The audio device through Qt Multimedia: one QMediaPlayer per sound file,
// made on first use and kept, so a repeated interface sound starts at once.

#include "platform/media/AudioOutput.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QUrl>
#include <map>
#include <memory>

namespace media {

namespace {

class DeviceAudioOutput : public AudioOutput {
public:
    bool play(const std::string& path, double, float volume) override {
        Sound& sound = soundFor(path);
        sound.output->setVolume(volume);
        sound.player->stop();
        sound.player->setPosition(0);
        sound.player->play();
        return sound.player->error() == QMediaPlayer::NoError;
    }
    void stop(const std::string& path) override {
        auto found = sounds_.find(path);
        if (found != sounds_.end()) found->second.player->stop();
    }
    bool isPlaying(const std::string& path) const override {
        auto found = sounds_.find(path);
        return found != sounds_.end() && found->second.player->playbackState() == QMediaPlayer::PlayingState;
    }

private:
    struct Sound {
        std::unique_ptr<QAudioOutput> output;
        std::unique_ptr<QMediaPlayer> player;
    };
    Sound& soundFor(const std::string& path) {
        auto found = sounds_.find(path);
        if (found != sounds_.end()) return found->second;
        Sound sound;
        sound.output = std::make_unique<QAudioOutput>();
        sound.player = std::make_unique<QMediaPlayer>();
        sound.player->setAudioOutput(sound.output.get());
        sound.player->setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
        return sounds_.emplace(path, std::move(sound)).first->second;
    }
    std::map<std::string, Sound> sounds_;
};

}  // namespace

std::shared_ptr<AudioOutput> makeDeviceAudioOutput() { return std::make_shared<DeviceAudioOutput>(); }

}  // namespace media
