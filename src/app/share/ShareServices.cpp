#include "app/share/ShareServices.h"

#include "app/share/DropboxConnectHandler.h"
#include "app/share/DuplicateConnectHandler.h"
#include "app/share/ICloudConnectHandler.h"
#include "app/share/MailConnectHandler.h"
#include "app/share/PhotosConnectHandler.h"
#include "app/share/YoutubeConnectHandler.h"

std::vector<std::shared_ptr<library::Activity>> ShareServices::getAvailableShareServices() const {
    std::vector<std::shared_ptr<library::Activity>> services{std::make_shared<PhotosConnectHandler>(),
                                                             std::make_shared<YoutubeConnectHandler>(),
                                                             std::make_shared<DropboxConnectHandler>(),
                                                             std::make_shared<ICloudConnectHandler>()};
    // Mail is offered only where the desktop has a mail program to hand to.
    if (MailConnectHandler::isMailProgramAvailable()) services.push_back(std::make_shared<MailConnectHandler>());
    services.push_back(std::make_shared<DuplicateConnectHandler>());
    return services;
}

ProjectModelPtr ShareServices::projectInActivityItems(const library::ActivityItems& items) {
    for (const auto& item : items) {
        if (const auto* project = std::any_cast<ProjectModelPtr>(&item); project && *project) return *project;
    }
    return nullptr;
}
