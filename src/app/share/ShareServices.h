#pragma once

// The services a project can be shared with, in the order the share sheet
// offers them. Each call makes fresh service objects, since a sheet keeps
// and prepares the ones it is given.

#include "app/core/ProjectModel.h"
#include "platform/library/Activity.h"

#include <memory>
#include <vector>

class ShareServices {
public:
    ShareServices() = default;

    std::vector<std::shared_ptr<library::Activity>> getAvailableShareServices() const;

    // The first project among a sheet's items, or null.
    static ProjectModelPtr projectInActivityItems(const library::ActivityItems& items);
};
