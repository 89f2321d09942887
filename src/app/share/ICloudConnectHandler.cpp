#include "app/share/ICloudConnectHandler.h"

#include "app/core/BundleImage.h"
#include "app/core/ProjectDataWrapper.h"
#include "app/render/ProjectExportRenderer.h"
#include "app/render/SingleImagesExportRenderer.h"
#include "app/share/ExternalProgram.h"
#include "app/share/ShareConfiguration.h"
#include "app/widgets/alerts/AlertView.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/TemporaryClaim.h"
#include "platform/foundation/Utf8.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

std::string ICloudConnectHandler::activityTitle() const { return foundation::localized(kTitle); }

graphics::Image ICloudConnectHandler::activityImage() const {
    return bundleImageNamed(kIconName).value_or(graphics::Image());
}

std::vector<std::string> ICloudConnectHandler::getSupportedUTIs() const {
    return {kUTTypeQuickTimeMovie, kUTTypeGIF, SingleImagesExportRenderer::kUTI, ProjectExportRenderer::kUTI};
}

std::string ICloudConnectHandler::uploadingText() const { return foundation::localized(kSavingText); }

std::string ICloudConnectHandler::successText() const {
    return foundation::localizedFormat(kSavedFormat, {savedPath_.value_or(saveFolder())});
}

std::string ICloudConnectHandler::successActionTitle() const { return foundation::localized(kOpenFolderTitle); }

std::string ICloudConnectHandler::saveFolder() {
    return foundation::path::appending(foundation::Paths::userDirectory("DOCUMENTS", "Documents"),
                                       fileStemForName(shareApplicationName()));
}

std::string ICloudConnectHandler::fileStemForName(const std::string& name) {
    std::string stem;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) continue;
        stem += c == '/' ? '-' : c;
    }
    // A leading dot would hide the file; spaces at either end are easily lost.
    const size_t first = stem.find_first_not_of(". ");
    stem = first == std::string::npos ? std::string() : stem.substr(first);
    stem = foundation::utf8Prefix(stem, kMaxStemBytes);
    stem.erase(stem.find_last_not_of(' ') + 1);
    return stem.empty() ? ProjectDataWrapper::getDefaultName() : stem;
}

std::string ICloudConnectHandler::notSavedText(const std::string& item, const std::string& rendered,
                                               const std::string& folder, const foundation::Error& cause) {
    // The system's error under the file manager's, with the path it was about.
    const foundation::Error* system = &cause;
    while (system && system->domain != foundation::kPOSIXErrorDomain) system = system->underlying.get();
    std::string reason = cause.localizedDescription();
    if (system) {
        const int code = int(system->code);
        reason = std::strerror(code);
        const std::string suffix = ": " + reason;
        const std::string& text = system->description;
        const std::string where = text.ends_with(suffix) ? text.substr(0, text.size() - suffix.size()) : std::string();
        std::error_code ignored;
        // A file named as the folder, or as a folder above it.
        const bool fileInTheWay = (code == EEXIST || code == ENOTDIR) && !where.empty() &&
                                  (folder == where || folder.starts_with(where + "/")) &&
                                  std::filesystem::exists(where, ignored) &&
                                  !std::filesystem::is_directory(where, ignored);
        if (code == ENOENT && !where.empty() && (where == rendered || where.starts_with(rendered + "/"))) {
            // The render cache was emptied under the save: nothing is wrong
            // with the destination.
            reason = foundation::localizedFormat("the rendered file \"%@\" is missing", {where});
        } else if (code == EROFS) {
            reason = foundation::localized("the disk is read-only");
        } else if (code == EACCES || code == EPERM) {
            reason = foundation::localized("you do not have permission to write there");
        } else if (foundation::isStorageFullErrno(code)) {
            reason = foundation::localized("the disk is full");
        } else if (fileInTheWay) {
            reason = foundation::localizedFormat("\"%@\" is a file, not a folder", {where});
        }
    }
    return foundation::localizedFormat(kNotSavedFormat, {item, folder, reason});
}

void ICloudConnectHandler::uploadFile(const std::string& path, const std::string&, const std::string&,
                                      const std::string& typeIdentifier) {
    const std::string folder = saveFolder();
    const std::string stem = fileStemForName(project_ ? project_->getName() : std::string());
    // The pictures' folder is a folder: its cache extension means nothing to a user.
    const std::string extension =
        typeIdentifier == SingleImagesExportRenderer::kUTI ? std::string() : foundation::path::extension(path);
    std::weak_ptr<ConnectHandler> weak = weak_from_this();
    const std::string item = extension.empty() ? stem : stem + "." + extension;
    foundation::DispatchQueue::global().async([weak, path, folder, stem, extension, item] {
        auto save = [&]() -> foundation::Result<std::string> {
            auto& files = foundation::FileManager::defaultManager();
            if (foundation::Status made = files.createDirectory(folder, true); !made) return made.error();
            // What a save cut short by a crash left is taken away first.
            (void)foundation::removeAbandonedTemporaries(folder);
            return files.copyItemUnderFreeName(path, folder, stem, extension);
        };
        foundation::Result<std::string> saved = save();
        foundation::DispatchQueue::main().async([weak, path, folder, item, saved] {
            auto self = std::static_pointer_cast<ICloudConnectHandler>(weak.lock());
            if (!self) return;
            if (saved) self->savedPath_ = foundation::path::appending(folder, *saved);
            ConnectHandlerDelegate* delegate = self->delegate();
            if (!delegate) return;
            if (!saved) {
                const foundation::Error& cause = saved.error();
                delegate->connectHandlerDidFailUpload(
                    *self, foundation::Error(kErrorDomain, cause.code, notSavedText(item, path, folder, cause),
                                             std::make_shared<const foundation::Error>(cause)));
                return;
            }
            delegate->connectHandlerUploadProgress(*self, 1.0);
            delegate->connectHandlerDidFinishUpload(*self);
        });
    });
}

void ICloudConnectHandler::performSuccessAction() {
    const std::string folder = savedPath_ ? foundation::path::deletingLastComponent(*savedPath_) : saveFolder();
    runProgramAsync({"xdg-open", folder}, [folder](const foundation::Result<ProgramOutcome>& outcome) {
        if (outcome && outcome->status == 0) return;
        auto alert = AlertView::create(foundation::localized(kTitle),
                                       foundation::localizedFormat(kCouldNotOpenFormat, {folder}));
        alert->addButtonWithTitle(foundation::localized("OK"), {});
        alert->show();
    });
}
