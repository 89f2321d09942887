#include "platform/library/Activity.h"

namespace library {

void Activity::activityDidFinish(bool completed) {
    // Taken out first: the handler may release the sheet, and this activity with it.
    auto finished = std::move(finished_);
    finished_ = nullptr;
    if (finished) finished(completed);
}

}  // namespace library
