#pragma once

// Counts the application's launches for the rating prompt and keeps the
// application's catalogue identifier that the prompt's review link needs.
// Both live in the user defaults so they survive launches.

#include <cstdint>

class Appirater {
public:
    static inline const char* kAppStoreIDKey = "RatingPromptAppStoreID";
    static inline const char* kLaunchCountKey = "RatingPromptLaunchCount";

    // Called once per launch: keeps the identifier and counts the launch.
    // `canPromptForRating` says whether a prompt would be welcome now.
    static void appLaunchedWithAppStoreID(int64_t appStoreID, bool canPromptForRating);

    // What has been kept so far.
    static int64_t appStoreID();
    static int64_t launchCount();
};
