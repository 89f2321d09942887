#include "app/core/SaveFailure.h"

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Localized.h"

#include <cerrno>
#include <cstring>
#include <memory>

namespace {

// The system's reason for a file-system failure: the errno of a POSIX error,
// or the errno a file-system error stands for; 0 when there is none.
int systemReason(const foundation::Error& failure) {
    for (const foundation::Error* error = &failure; error; error = error->underlying.get()) {
        if (error->domain == foundation::kPOSIXErrorDomain && error->code > 0) return static_cast<int>(error->code);
        if (error->domain != foundation::kCocoaErrorDomain) continue;
        switch (error->code) {
            case foundation::kFileWriteVolumeReadOnlyError:
                return EROFS;
            case foundation::kFileWriteNoPermissionError:
            case foundation::kFileReadNoPermissionError:
                return EACCES;
            case foundation::kFileNoSuchFileError:
            case foundation::kFileReadNoSuchFileError:
                return ENOENT;
            case foundation::kFileWriteFileExistsError:
                return EEXIST;
            default:
                break;
        }
    }
    return 0;
}

}  // namespace

std::string saveFailureReason(const foundation::Error& failure) {
    for (const foundation::Error* error = &failure; error; error = error->underlying.get())
        if (error->domain == kSaveRefusedDomain) return error->description;
    if (foundation::isOutOfSpaceError(failure))
        return foundation::localized("there is not enough space left on this device");
    switch (const int reason = systemReason(failure)) {
        case 0:
            return foundation::localized("its data could not be written");
        case EFBIG:
            return foundation::localized("a file would be larger than this system allows");
        case EROFS:
            return foundation::localized("its storage can only be read");
        case EACCES:
        case EPERM:
            return foundation::localized("you do not have permission to write there");
        case ENOENT:
        case ENOTDIR:
            return foundation::localized("its folder is no longer there");
        case EEXIST:
        case EISDIR:
            return foundation::localized("something else is in the place of one of its files");
        case EIO:
            return foundation::localized("the storage reported an error");
        case EMFILE:
        case ENFILE:
            return foundation::localized("too many files are open");
        default:
            return foundation::localizedFormat("the system says “%@”", {foundation::Value(std::strerror(reason))});
    }
}

std::string saveFailureText(const std::string& what, const foundation::Error& failure) {
    return foundation::localizedFormat("%@ could not be saved: %@.",
                                       {foundation::Value(what), foundation::Value(saveFailureReason(failure))});
}

std::string projectCalled(const std::string& name) {
    return foundation::localizedFormat("The project “%@”", {foundation::Value(name)});
}

foundation::Error saveFailureError(const std::string& what, const foundation::Error& failure) {
    return foundation::Error(failure.domain, failure.code, saveFailureText(what, failure),
                             std::make_shared<const foundation::Error>(failure));
}
