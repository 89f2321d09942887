#include "app/screens/Appirater.h"

#include "platform/foundation/UserDefaults.h"

#include <limits>

void Appirater::appLaunchedWithAppStoreID(int64_t appStoreID, bool canPromptForRating) {
    // No prompt is offered yet; the counts are kept so that one can be
    // offered from the right launch on.
    (void)canPromptForRating;
    auto& defaults = foundation::UserDefaults::standard();
    defaults.setInteger(appStoreID, kAppStoreIDKey);
    int64_t count = defaults.integerForKey(kLaunchCountKey);
    // A count read back as negative or at the top of the range is damaged,
    // not a huge number of launches; start over rather than overflow.
    if (count < 0 || count == std::numeric_limits<int64_t>::max()) count = 0;
    defaults.setInteger(count + 1, kLaunchCountKey);
}

int64_t Appirater::appStoreID() { return foundation::UserDefaults::standard().integerForKey(kAppStoreIDKey); }

int64_t Appirater::launchCount() { return foundation::UserDefaults::standard().integerForKey(kLaunchCountKey); }
