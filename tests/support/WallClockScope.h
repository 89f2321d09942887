#pragma once

// Sets the wall clock to `start` for one test; it then moves with the main
// run loop's clock (a VirtualClockScope made before this one).
//
//     testsupport::VirtualClockScope clock;
//     testsupport::WallClockScope wall(foundation::Date::fromUnixTime(1700000000));

#include "platform/foundation/Value.h"

namespace testsupport {

class WallClockScope {
public:
    explicit WallClockScope(foundation::Date start);
    ~WallClockScope();
    WallClockScope(const WallClockScope&) = delete;
    WallClockScope& operator=(const WallClockScope&) = delete;
};

}  // namespace testsupport
