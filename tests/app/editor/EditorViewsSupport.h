#pragma once

// What the tests of the strip, the timeline and the player share: projects
// whose frames show one distinct colour each, a recorder of posted
// notifications, and a scripted clock for the player.

#include "app/audio/PreviewPlayerDelegate.h"
#include "app/core/Frame.h"
#include "app/core/ProjectModel.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <string>
#include <vector>

namespace viewstest {

// A distinct colour per index, and whether a picture shows it at its centre.
graphics::RGBA colourOf(int64_t index);
bool showsColour(const graphics::Image& picture, graphics::RGBA colour);

// A saved project of `pictures` stored picture frames (frame i in colour i)
// followed by the capture slot; playhead on the first entry; 5 fps.
ProjectModelPtr projectOfPictures(int pictures, int64_t fps = 5);
// A new project with `entries` picture frames that have no files (they show
// the placeholder) and then the capture slot.
ProjectModelPtr projectOfBareFrames(int entries, int64_t fps = 5);

// Every notification of one name, in order.
class Recorder {
public:
    explicit Recorder(const char* name);
    const std::vector<foundation::Notification>& received() const { return received_; }
    size_t count() const { return received_.size(); }
    const foundation::Notification& last() const { return received_.back(); }
    void clear() { received_.clear(); }

private:
    std::vector<foundation::Notification> received_;
    foundation::ObserverToken token_;
};

// A clock whose time the test sets; it counts the calls the player makes.
class ScriptedClock : public PreviewPlayerDelegate {
public:
    int64_t time = 0;
    int reads = 0;
    int plays = 0;
    int stops = 0;
    std::vector<int64_t> seeks;

    int64_t getCurentTimeIndex() override {
        ++reads;
        return time;
    }
    void setCurentTimeIndex(int64_t timeIndex) override {
        seeks.push_back(timeIndex);
        time = timeIndex;
    }
    void play() override { ++plays; }
    void stop() override { ++stops; }
};

}  // namespace viewstest
