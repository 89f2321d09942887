#include "platform/foundation/Clock.h"

#include <chrono>

namespace foundation {

double SteadyClock::now() const {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void VirtualClock::advanceTo(double time) {
    double current = now_.load();
    while (time > current && !now_.compare_exchange_weak(current, time)) {}
}

}  // namespace foundation
