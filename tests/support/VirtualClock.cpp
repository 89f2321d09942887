#include "support/VirtualClock.h"

#include "platform/foundation/BackgroundActivity.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

namespace testsupport {

namespace {
// Long enough for any honest tear-down, short enough to fail a test rather
// than hang the run.
constexpr double kTearDownWait = 10.0;
}  // namespace

VirtualClockScope::VirtualClockScope(double start) : clock_(std::make_shared<foundation::VirtualClock>(start)) {
    foundation::RunLoop::main().reset(clock_);
}

VirtualClockScope::~VirtualClockScope() {
    auto& loop = foundation::RunLoop::main();
    // Dropping the queued tasks first releases background threads that wait
    // in `sync` for the main queue; then their work can finish.
    loop.reset(std::make_shared<foundation::SteadyClock>());
    if (!foundation::BackgroundActivity::waitForIdle(kTearDownWait))
        ADD_FAILURE() << "background work still running " << kTearDownWait << " s after the test ended";
    loop.reset(std::make_shared<foundation::SteadyClock>());
}

}  // namespace testsupport
