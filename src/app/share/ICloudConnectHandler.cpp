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

void ICloudConnectHandler::uploadFile(const std::string& path, const std::string&, const std::string&,
                                      const std::string& typeIdentifier) {
    const std::string folder = saveFolder();
    const std::string stem = fileStemForName(project_ ? project_->getName() : std::string());
    // The pictures' folder is a folder: its cache extension means nothing to a user.
    const std::string extension =
        typeIdentifier == SingleImagesExportRenderer::kUTI ? std::string() : foundation::path::extension(path);
    std::weak_ptr<ConnectHandler> weak = weak_from_this();
    foundation::DispatchQueue::global().async([weak, path, folder, stem, extension] {
        auto save = [&]() -> foundation::Result<std::string> {
            auto& files = foundation::FileManager::defaultManager();
            if (foundation::Status made = files.createDirectory(folder, true); !made) return made.error();
            // What a save cut short by a crash left is taken away first.
            (void)foundation::removeAbandonedTemporaries(folder);
            return files.copyItemUnderFreeName(path, folder, stem, extension);
        };
        foundation::Result<std::string> saved = save();
        foundation::DispatchQueue::main().async([weak, folder, saved] {
            auto self = std::static_pointer_cast<ICloudConnectHandler>(weak.lock());
            if (!self) return;
            if (saved) self->savedPath_ = foundation::path::appending(folder, *saved);
            ConnectHandlerDelegate* delegate = self->delegate();
            if (!delegate) return;
            if (!saved) {
                // The file system's text names the item that failed and why.
                const foundation::Error& cause = saved.error();
                delegate->connectHandlerDidFailUpload(
                    *self, foundation::Error(kErrorDomain, cause.code, cause.localizedDescription(),
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
