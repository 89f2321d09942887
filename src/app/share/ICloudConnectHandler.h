#pragma once

// "Save to Folder", the desktop's document storage: every export the
// renderers make (each movie size, the animated GIF, the folder of JPEG
// pictures, the project archive) is copied into a folder named after the
// application in the user's documents folder (as xdg-user-dir DOCUMENTS
// names it, else ~/Documents), under the project's name, never replacing
// anything there: "My Movie.mov", then "My Movie 2.mov". The copy is the
// user's own (a reflink where the file system offers one, else a copy,
// never a link to the render cache), made in a claimed temporary folder
// and renamed into place when complete; what a crashed save left there is
// swept before the next save. The success text names the path, and
// "Open Folder" shows the folder in the file manager (xdg-open). A failure
// says in the user's words what could not be saved, where, and why.

#include "app/share/ConnectHandler.h"

#include <optional>
#include <string>

class ICloudConnectHandler : public ConnectHandler {
public:
    static inline const char* kActivityType = "com.marrowick.tollivar.activity.folder";
    static inline const char* kIconName = "share_icon_folder";
    static inline const char* kErrorDomain = "ICloudConnectHandler";
    static inline const char* kTitle = "Save to Folder";
    static inline const char* kSavingText = "Saving to your documents folder…";
    static inline const char* kSavedFormat = "Saved to \"%@\".";
    static inline const char* kOpenFolderTitle = "Open Folder";
    static inline const char* kCouldNotOpenFormat = "The folder \"%@\" could not be opened.";
    static inline const char* kNotSavedFormat = "\"%@\" could not be saved in \"%@\": %@.";
    // Room left in a file name for " 9999" and the longest extension.
    static constexpr size_t kMaxStemBytes = 200;

    std::string activityType() const override { return kActivityType; }
    std::string activityTitle() const override;
    graphics::Image activityImage() const override;

    bool usesTitleAndCaption() const override { return false; }
    std::vector<std::string> getSupportedUTIs() const override;
    void uploadFile(const std::string& path, const std::string& title, const std::string& caption,
                    const std::string& typeIdentifier) override;
    std::string uploadingText() const override;
    std::string successText() const override;
    std::string successActionTitle() const override;
    void performSuccessAction() override;
    bool showsErrorCodes() const override { return false; }

    // <documents>/<application name>; not created.
    static std::string saveFolder();
    // A project's name as the start of a file name: no slashes or control
    // characters, no leading dot or space, at most kMaxStemBytes bytes; the
    // default project name when nothing is left.
    static std::string fileStemForName(const std::string& name);
    // Why `item` (a file or folder name), copied from `rendered`, could not
    // be saved in `folder`, as the user reads it: kNotSavedFormat with the
    // file system's reason in plain words (the rendered file gone, a
    // read-only disk, no permission, a full disk, a file where a folder
    // should be, else the system's own words).
    static std::string notSavedText(const std::string& item, const std::string& rendered, const std::string& folder,
                                    const foundation::Error& cause);
    // What the last save wrote.
    const std::optional<std::string>& savedPath() const { return savedPath_; }

private:
    std::optional<std::string> savedPath_;
};
