#pragma once

// The share service that duplicates the project. It does no work itself:
// the detail card that opened the sheet owns the project and the busy state
// of the browser, so the service only asks it to duplicate by notification.

#include "platform/library/Activity.h"

#include <string>

class DuplicateConnectHandler : public library::Activity {
public:
    // Posted with this handler as object and no userInfo.
    static inline const char* kDoDuplicateProjectNotification = "DoDuplicateProjectNotification";
    static inline const char* kActivityType = "com.marrowick.tollivar.activity.duplicate";
    static inline const char* kIconName = "share_icon_duplicate";

    std::string activityType() const override { return kActivityType; }
    std::string activityTitle() const override;
    graphics::Image activityImage() const override;
    // Only a project that has its folder can be copied.
    bool canPerformWithActivityItems(const library::ActivityItems& items) const override;
    void performActivity() override;
};
