#pragma once

// Saves the rendered movie into the user's photo library, in the album
// named after the application (made the first time).

#include "app/share/ConnectHandler.h"
#include "platform/library/PhotoLibrary.h"

#include <optional>

class PhotosConnectHandler : public ConnectHandler {
public:
    static inline const char* kActivityType = "com.marrowick.tollivar.activity.photos";
    static inline const char* kIconName = "share_icon_photos";

    // The library at the default root, unless a test gives another.
    explicit PhotosConnectHandler(std::optional<library::PhotoLibrary> library = std::nullopt);

    std::string activityType() const override { return kActivityType; }
    std::string activityTitle() const override;
    graphics::Image activityImage() const override;

    bool usesTitleAndCaption() const override { return false; }
    std::vector<std::string> getSupportedUTIs() const override;
    void uploadFile(const std::string& path, const std::string& title, const std::string& caption,
                    const std::string& typeIdentifier) override;
    std::string uploadingText() const override;
    std::string successText() const override;

    // The album: the application's name.
    static std::string albumName();

private:
    library::PhotoLibrary library_;
};
