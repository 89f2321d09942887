#pragma once

// Brings a project written by an older version (format 3.0 up to below 6.0)
// to format 6.0 on a global queue: the old clips move onto their frames,
// entries repeating one picture collapse into one frame with a hold count,
// theme text cards get their text from the old per-frame files, and the
// project is saved as version 6.0.
//
// Nothing else may read, change or save the project until the completion
// has been called.

#include "app/core/FrameList.h"
#include "app/core/ProjectModel.h"
#include "platform/foundation/Error.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class ProjectConvertProcessor : public std::enable_shared_from_this<ProjectConvertProcessor> {
public:
    using CompletionHandler = std::function<void()>;

    static constexpr int64_t kStatusQueuing = 0;
    static constexpr int64_t kStatusQueued = 1;

    static std::shared_ptr<ProjectConvertProcessor> create();

    // Queues the conversion and returns; the completion runs on the worker
    // queue, also when there was nothing to convert. The processor stays
    // alive until then.
    void convertProject(const ProjectModelPtr& project, CompletionHandler withCompletionHandler);

    // The conversion itself, on the calling thread. Fails (changing nothing)
    // when the project's metadata or frame list cannot be read, and fails
    // when the converted project could not be saved; the failure is also
    // kept in error().
    foundation::Status convertProjectTo_6_0_AtPath(const ProjectModelPtr& project);
    // Formats before 4.0 need no steps of their own.
    void convertProjectTo_4_0_AtPath(const ProjectModelPtr&) {}
    void convertProjectTo_3_0_AtPath(const ProjectModelPtr&) {}

    static FramePtr findFrameWithUID(const std::string& uid, const FrameList& inFramelist);
    // 1 plus the entries right after the index that show the same picture and carry no clip.
    static int64_t calculateTheNumberOfImagesInHoldAtIndex(int64_t index, const FrameList& inFramelist);
    // The card text and theme of a theme text card from its old per-frame file;
    // empty text and theme 0 when the file or the keys are missing.
    static std::shared_ptr<KWThemeItem> getThemeItemForFrame(const FramePtr& frame, const ProjectModelPtr& intProject);

    // The format version of a project's metadata: "ProductVersion" stored as
    // a number, or as a text that begins with one ("5.0"), read at single
    // precision as older versions did. None when it is missing, of another
    // kind, or no finite number. The browser's gate and the conversion both
    // read it here, so a project they disagree on cannot exist.
    static std::optional<float> getProductVersion(const foundation::Dictionary& metaData);
    // Whether a project of that version can be opened at all (3.0 or above).
    static bool canOpenProductVersion(std::optional<float> productVersion);
    // Whether a project of that version is converted before it is opened
    // (3.0 up to below 6.0).
    static bool needsConversion(std::optional<float> productVersion);

    int64_t status() const { return status_; }
    float getProgress() const { return progress_; }
    const std::optional<foundation::Error>& error() const { return error_; }

private:
    ProjectConvertProcessor() = default;

    CompletionHandler completionHandler_;
    float progress_ = 0;
    std::atomic<int64_t> status_ = kStatusQueuing;
    // Written by the worker before the completion runs; read after it.
    std::optional<foundation::Error> error_;
};
