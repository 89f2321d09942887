#include "app/share/ShareServices.h"

#include "app/share/DuplicateConnectHandler.h"

std::vector<std::shared_ptr<library::Activity>> ShareServices::getAvailableShareServices() const {
    return {std::make_shared<DuplicateConnectHandler>()};
}

ProjectModelPtr ShareServices::projectInActivityItems(const library::ActivityItems& items) {
    for (const auto& item : items) {
        if (const auto* project = std::any_cast<ProjectModelPtr>(&item); project && *project) return *project;
    }
    return nullptr;
}
