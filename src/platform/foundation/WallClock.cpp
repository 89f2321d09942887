#include "platform/foundation/WallClock.h"

#include <mutex>

namespace foundation {

namespace {

std::mutex gMutex;
std::function<Date()> gSource;

}  // namespace

Date wallClockNow() {
    std::function<Date()> source;
    {
        std::lock_guard lock(gMutex);
        source = gSource;
    }
    return source ? source() : Date::now();
}

void setWallClockSource(std::function<Date()> source) {
    std::lock_guard lock(gMutex);
    gSource = std::move(source);
}

}  // namespace foundation
