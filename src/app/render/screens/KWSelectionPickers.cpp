#include "app/render/screens/KWSelectionPickers.h"

#include "app/core/BundleImage.h"
#include "app/core/KWThemeItem.h"
#include "app/render/OutlineTexts.h"
#include "app/render/screens/ThemeSettingsNames.h"
#include "platform/foundation/Lifetime.h"
#include "platform/ui/controls/ActivityIndicatorView.h"

#include <cstdio>

namespace {

namespace names = themesettings;

// The metadata value of a key; a missing key or no metadata reads as 0.
int64_t storedInt(ProjectModel& project, const char* key) {
    auto meta = project.getMetaData();
    return meta ? meta->get(key).asInt(0) : 0;
}

void post(const char* name, const void* picker, foundation::Dictionary userInfo = {}) {
    foundation::NotificationCenter::defaultCenter().post(name, picker, std::move(userInfo));
}

constexpr int32_t kFirstForeground = 20;

}  // namespace

// ---- theme ------------------------------------------------------------------------------------

void KWThemeSelectionViewController::viewDidLoad() {
    KWSelectionViewController::viewDidLoad();
    fillItems(0, 9, "theme_%.2d.png");
    updateSelection();
    setSelectedIndex(int32_t(storedInt(*project_, outlinekeys::kTheme)));
    renderingFinished_ = foundation::NotificationCenter::defaultCenter().addObserver(
        names::kThemeRenderingFinishedNotification, nullptr,
        [weak = foundation::weakFrom(this)](const foundation::Notification& notification) {
            if (auto self = weak.lock()) self->receiveThemeRenderingFinishedNotification(notification);
        });
}

void KWThemeSelectionViewController::didSelectItem(const KWSelectionItem& item) {
    if (storedInt(*project_, outlinekeys::kTheme) == item.identifier) return;
    if (auto meta = project_->getMetaData())
        meta->set(outlinekeys::kTheme, foundation::Value(int64_t(item.identifier)));
    saveSetting(*project_);
    if (item.identifier != 0) {
        activityIndicator()->startAnimating();
        carousel()->scrollEnabled = false;
        carousel()->setUserInteractionEnabled(false);
    }
    auto theme = std::make_shared<KWThemeItem>();
    theme->setThemeID(item.identifier);
    post(names::kThemeDidChangeNotification, this,
         foundation::Dictionary{{names::kThemeKey, foundation::Value::object(theme)}});
}

void KWThemeSelectionViewController::receiveThemeRenderingFinishedNotification(const foundation::Notification&) {
    activityIndicator()->stopAnimating();
    carousel()->scrollEnabled = true;
    carousel()->setUserInteractionEnabled(true);
}

bool KWThemeSelectionViewController::isBusy() const {
    return activityIndicator() && activityIndicator()->isAnimating() && !carousel()->scrollEnabled &&
           !carousel()->isUserInteractionEnabled();
}

// ---- fade ---------------------------------------------------------------------------------------

int32_t KWFadeSelectionViewController::tileForFade(bool fadeIn, bool fadeOut) {
    if (fadeIn && fadeOut) return 2;
    if (fadeIn) return 1;
    if (fadeOut) return 3;
    return 0;
}

std::pair<bool, bool> KWFadeSelectionViewController::fadeForTile(int32_t tile) {
    switch (tile) {
        case 1:
            return {true, false};
        case 2:
            return {true, true};
        case 3:
            return {false, true};
        default:
            return {false, false};
    }
}

void KWFadeSelectionViewController::viewDidLoad() {
    KWSelectionViewController::viewDidLoad();
    fillItems(0, 3, "fade_%d.png");
    updateSelection();
    auto meta = project_->getMetaData();
    const bool in = meta && meta->get(names::kFadeInKey).asBool(false);
    const bool out = meta && meta->get(names::kFadeOutKey).asBool(false);
    setSelectedIndex(tileForFade(in, out));
}

void KWFadeSelectionViewController::didSelectItem(const KWSelectionItem& item) {
    auto meta = project_->getMetaData();
    if (!meta) return;
    if (item.identifier >= 0 && item.identifier <= 3) {
        const auto [in, out] = fadeForTile(item.identifier);
        meta->set(names::kFadeInKey, in);
        meta->set(names::kFadeOutKey, out);
    }
    meta->set(projectkeys::kNeedsRendering, true);
    saveSetting(*project_);
    post(names::kFadeInOutDidChangeNotification, this);
}

// ---- foreground ---------------------------------------------------------------------------------

void KWForegroundSelectionViewController::viewDidLoad() {
    KWSelectionViewController::viewDidLoad();
    fillItems(kFirstForeground, kFirstForeground + 17, "foreground_%.2d.png");
    updateSelection();
    setSelectedIndex(int32_t(storedInt(*project_, names::kForegroundKey)));
}

void KWForegroundSelectionViewController::didSelectItem(const KWSelectionItem& item) {
    const int32_t number = item.identifier - kFirstForeground;
    if (storedInt(*project_, names::kForegroundKey) == number) return;
    auto meta = project_->getMetaData();
    if (!meta) return;
    char name[64];
    std::snprintf(name, sizeof name, "foreground_%.2d_bg.png", item.identifier);
    std::optional<graphics::Image> overlay = bundleImageNamed(name);
    std::optional<foundation::Bytes> png;
    if (overlay)
        if (auto encoded = overlay->pngData()) png = std::move(*encoded);
    foundation::Status written = png ? project_->updateRegularFileWithContents(*png, names::kForegroundFile)
                                     // No overlay (the no-foreground tile): no file to keep either.
                                     : project_->removeRegularFileWithPreferredFilename(names::kForegroundFile);
    if (!written && number != 0) {
        // The number would point at a picture that is not there: keep the old choice.
        showSaveFailure(written.error());
        return;
    }
    meta->set(names::kForegroundKey, foundation::Value(int64_t(number)));
    meta->set(projectkeys::kNeedsRendering, true);
    saveSetting(*project_);
    post(names::kForegroundDidChangeNotification, this);
}

// ---- effect -------------------------------------------------------------------------------------

void KWMovieEffectSelectionViewController::viewDidLoad() {
    KWSelectionViewController::viewDidLoad();
    fillItems(0, 7, "edit_effect_%d.png");
    updateSelection();
    setSelectedIndex(int32_t(storedInt(*project_, projectkeys::kMovieFilter)));
}

void KWMovieEffectSelectionViewController::didSelectItem(const KWSelectionItem& item) {
    auto meta = project_->getMetaData();
    if (!meta) return;
    meta->set(projectkeys::kMovieFilter, foundation::Value(int64_t(item.identifier)));
    meta->set(projectkeys::kNeedsRendering, true);
    saveSetting(*project_);
    post(names::kMovieEffectDidChangeNotification, this);
}

// ---- mask ---------------------------------------------------------------------------------------

int32_t KWMaskSelectionView::tileForMask(bool mask, const foundation::Value& format) {
    if (!mask || !format.isNumber()) return 0;
    if (format.asDouble() == 2.35) return 1;
    if (format.asDouble() == 1.0) return 2;
    return 0;
}

void KWMaskSelectionView::viewDidLoad() {
    KWSelectionViewController::viewDidLoad();
    fillItems(0, 2, "mask_%d.png");
    updateSelection();
    auto meta = project_->getMetaData();
    if (meta) setSelectedIndex(tileForMask(meta->get(names::kMaskKey).asBool(false), meta->get(names::kMaskFormatKey)));
}

void KWMaskSelectionView::didSelectItem(const KWSelectionItem& item) {
    auto meta = project_->getMetaData();
    if (!meta) return;
    switch (item.identifier) {
        case 0:
            meta->set(names::kMaskKey, foundation::Value(int64_t(0)));
            meta->set(names::kMaskFormatKey, foundation::Value::real(2.35));
            break;
        case 1:
            meta->set(names::kMaskKey, foundation::Value(int64_t(1)));
            meta->set(names::kMaskFormatKey, foundation::Value::real(2.35));
            break;
        case 2:
            meta->set(names::kMaskKey, foundation::Value(int64_t(1)));
            meta->set(names::kMaskFormatKey, foundation::Value(int64_t(1)));
            break;
        default:
            break;
    }
    meta->set(projectkeys::kNeedsRendering, true);
    saveSetting(*project_);
    post(names::kMaskDidChangeNotification, this);
}
