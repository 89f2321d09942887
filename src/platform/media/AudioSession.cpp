#include "platform/media/AudioSession.h"

#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioInput.h"

namespace media {

AudioSession& AudioSession::sharedInstance() {
    static AudioSession session;
    return session;
}

foundation::Status AudioSession::setCategory(Category category) {
    category_ = category;
    return {};
}

foundation::Status AudioSession::setActive(bool active) {
    active_ = active;
    return {};
}

void AudioSession::requestRecordPermission(std::function<void(bool granted)> response) {
    if (!response) return;
    const bool granted = AudioInput::shared() != nullptr;
    foundation::RunLoop::main().post([response = std::move(response), granted] { response(granted); });
}

void AudioSession::resetForTesting() { *this = AudioSession(); }

}  // namespace media
