#include "app/widgets/alerts/UIActionSheet_MKBlockAdditions_Picker.h"

#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"
#include "platform/graphics/Color.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/host/Device.h"
#include "platform/ui/lists/ScrollView.h"

#include <algorithm>
#include <set>

namespace UIActionSheet_MKBlockAdditions {

using graphics::Color;
using graphics::Rect;

namespace {

constexpr double kBarHeight = 44;
constexpr double kThumbnailSize = 75;
constexpr double kThumbnailGap = 4;

bool& cameraAvailable() {
    static bool available = false;
    return available;
}

}  // namespace

ImagePickerController::ImagePickerController() = default;
ImagePickerController::~ImagePickerController() = default;

bool ImagePickerController::isSourceTypeAvailable(ImagePickerSourceType sourceType) {
    if (sourceType == ImagePickerSourceType::Camera) return cameraAvailable();
    return true;
}

void ImagePickerController::setCameraAvailable(bool available) { cameraAvailable() = available; }

void ImagePickerController::loadView() {
    Rect screen = ui::Device::current().screenBounds();
    auto root = ui::makeView<ui::View>(Rect(0, 0, screen.width(), screen.height()));
    root->setBackgroundColor(Color::grey(0.12));
    root->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);

    auto bar = ui::makeView<ui::View>(Rect(0, 0, screen.width(), kBarHeight));
    bar->setBackgroundColor(Color::grey(0.2));
    bar->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
    auto title = ui::makeView<ui::Label>(bar->bounds());
    title->setText(foundation::localized(sourceType == ImagePickerSourceType::Camera ? "Camera" : "Photos"));
    title->setTextAlignment(graphics::TextAlignment::Center);
    title->setTextColor(Color::white());
    title->setFont(graphics::Font::boldSystemFont(17));
    title->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
    bar->addSubview(title);
    auto cancelButton = ui::Button::buttonWithType(ui::ButtonType::System);
    cancelButton->setTitle(foundation::localized("Cancel"), ui::ControlStateNormal);
    cancelButton->setFrame(Rect(screen.width() - 90, 0, 90, kBarHeight));
    cancelButton->setAutoresizingMask(ui::AutoresizingFlexibleLeftMargin);
    cancelButton->addTarget(
        this, [this](ui::Control&) { cancel(); }, ui::ControlEventTouchUpInside);
    cancelButton->setKeyEquivalent(ui::Key::Escape);
    bar->addSubview(cancelButton);

    grid_ = ui::makeView<ui::ScrollView>(Rect(0, kBarHeight, screen.width(), screen.height() - kBarHeight));
    grid_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    root->addSubview(grid_);
    root->addSubview(bar);
    setView(root);
}

void ImagePickerController::viewDidLoad() {
    if (sourceType == ImagePickerSourceType::Camera) return;
    const uint32_t types = sourceType == ImagePickerSourceType::SavedPhotosAlbum ? library::kAssetsGroupSavedPhotos
                                                                                 : library::kAssetsGroupAll;
    auto found = std::make_shared<std::vector<library::PhotoAsset>>();
    auto weakSelf = foundation::weakFrom(this);
    library::PhotoLibrary photos;
    photos.enumerateGroups(
        types,
        [found, weakSelf](const std::optional<library::PhotoGroup>& group, bool*) {
            if (group) {
                library::PhotoGroup pictures = *group;
                pictures.setAssetsFilter(library::AssetsFilter::AllPhotos);
                for (auto& asset : pictures.assets()) found->push_back(asset);
                return;
            }
            if (auto self = weakSelf.lock()) {
                self->showAssets(std::move(*found));
            }
        },
        [](const foundation::Error&) {});
}

void ImagePickerController::showAssets(std::vector<library::PhotoAsset> assets) {
    // A picture in an album is also among the saved photos: offer it once.
    std::set<std::string> seen;
    assets_.clear();
    for (auto& asset : assets) {
        if (seen.insert(asset.path()).second) assets_.push_back(std::move(asset));
    }
    for (ui::ViewPtr child : std::vector<ui::ViewPtr>(grid_->subviews())) {
        if (dynamic_cast<ui::Button*>(child.get())) child->removeFromSuperview();
    }
    const double width = grid_->bounds().width();
    const int columns = std::max(1, static_cast<int>((width - kThumbnailGap) / (kThumbnailSize + kThumbnailGap)));
    for (size_t i = 0; i < assets_.size(); ++i) {
        const double x = kThumbnailGap + static_cast<double>(i % columns) * (kThumbnailSize + kThumbnailGap);
        const double y = kThumbnailGap + static_cast<double>(i / columns) * (kThumbnailSize + kThumbnailGap);
        auto thumbnail = ui::Button::buttonWithType(ui::ButtonType::Custom);
        thumbnail->setFrame(Rect(x, y, kThumbnailSize, kThumbnailSize));
        thumbnail->setBackgroundImage(assets_[i].thumbnail(), ui::ControlStateNormal);
        thumbnail->setBackgroundColor(Color::grey(0.3));
        library::PhotoAsset asset = assets_[i];
        thumbnail->addTarget(
            this, [this, asset](ui::Control&) { pickAsset(asset); }, ui::ControlEventTouchUpInside);
        grid_->addSubview(thumbnail);
    }
    const size_t rows = (assets_.size() + static_cast<size_t>(columns) - 1) / static_cast<size_t>(columns);
    static_cast<ui::ScrollView&>(*grid_).setContentSize(
        {width, kThumbnailGap + static_cast<double>(rows) * (kThumbnailSize + kThumbnailGap)});
}

bool ImagePickerController::pickAsset(const library::PhotoAsset& asset) {
    auto stored = asset.fullResolutionImage();
    if (!stored.ok()) return false;
    ImagePickerMediaInfo info;
    info.originalImage = stored->withOrientation(asset.orientation());
    if (allowsEditing) {
        // The square the platform's editor proposes: the centre, as large as fits.
        // It is the same square whichever way the picture is turned.
        const int side = std::min(stored->pixelWidth(), stored->pixelHeight());
        Rect square((stored->pixelWidth() - side) / 2, (stored->pixelHeight() - side) / 2, side, side);
        info.editedImage = stored->cropped(square).withOrientation(asset.orientation());
    }
    if (delegate) delegate->imagePickerControllerDidFinishPickingMediaWithInfo(*this, info);
    return true;
}

void ImagePickerController::cancel() {
    if (delegate) return delegate->imagePickerControllerDidCancel(*this);
    dismissViewController(true);
}

}  // namespace UIActionSheet_MKBlockAdditions
