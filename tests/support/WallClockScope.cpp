#include "support/WallClockScope.h"

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/WallClock.h"

namespace testsupport {

WallClockScope::WallClockScope(foundation::Date start) {
    const double loopStart = foundation::RunLoop::main().now();
    foundation::setWallClockSource([start, loopStart] {
        return foundation::Date{start.sinceReferenceDate + (foundation::RunLoop::main().now() - loopStart)};
    });
}

WallClockScope::~WallClockScope() { foundation::setWallClockSource({}); }

}  // namespace testsupport
