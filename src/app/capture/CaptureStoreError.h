#pragma once

// What capture and imports report when a picture cannot be stored (the one
// store error, app/core/StorageFullError.h), and how a failed import takes
// back what it wrote.

#include "app/core/ProjectModel.h"
#include "app/core/ShowErrorNotification.h"
#include "app/core/StorageFullError.h"

#include <string>
#include <vector>

// Removes whatever files of these frames exist in the project's folder
// (full frame, preview, thumbnail): an import that fails takes back what it
// wrote. Failures to remove are ignored.
void removeStoredFrameFiles(const ProjectModel& project, const std::vector<std::string>& frameIDs);
