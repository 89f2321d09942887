#include "app/share/DuplicateConnectHandler.h"

#include "app/core/BundleImage.h"
#include "app/share/ShareServices.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/NotificationCenter.h"

std::string DuplicateConnectHandler::activityTitle() const { return foundation::localized("Duplicate"); }

graphics::Image DuplicateConnectHandler::activityImage() const {
    return bundleImageNamed(kIconName).value_or(graphics::Image());
}

bool DuplicateConnectHandler::canPerformWithActivityItems(const library::ActivityItems& items) const {
    auto project = ShareServices::projectInActivityItems(items);
    return project && project->getProjectPath().has_value();
}

void DuplicateConnectHandler::performActivity() {
    foundation::NotificationCenter::defaultCenter().post(kDoDuplicateProjectNotification, this);
    activityDidFinish(true);
}
