#pragma once

// The five movie-settings pickers: theme, fade, foreground overlay, movie
// effect and aspect-ratio mask. Each shows the project's current value when
// its view loads and writes the value of a newly chosen tile.

#include "app/core/ProjectModel.h"
#include "app/render/screens/KWSelectionViewController.h"
#include "platform/foundation/NotificationCenter.h"

// Themes 0 (none) to 9. Choosing a theme other than 0 freezes the strip
// until the theme cards have been rendered.
class KWThemeSelectionViewController : public KWSelectionViewController {
public:
    explicit KWThemeSelectionViewController(ProjectModelPtr project) : project_(std::move(project)) {}
    void viewDidLoad() override;
    void didSelectItem(const KWSelectionItem& item) override;
    void receiveThemeRenderingFinishedNotification(const foundation::Notification& notification);
    // Waiting for the theme cards: indicator turning, strip frozen.
    bool isBusy() const;

private:
    ProjectModelPtr project_;
    foundation::ObserverToken renderingFinished_;
};

// 0 no fade, 1 in, 2 in and out, 3 out.
class KWFadeSelectionViewController : public KWSelectionViewController {
public:
    explicit KWFadeSelectionViewController(ProjectModelPtr project) : project_(std::move(project)) {}
    void viewDidLoad() override;
    void didSelectItem(const KWSelectionItem& item) override;
    // The tile of a fade-in and fade-out pair, and the pair of a tile.
    static int32_t tileForFade(bool fadeIn, bool fadeOut);
    static std::pair<bool, bool> fadeForTile(int32_t tile);

private:
    ProjectModelPtr project_;
};

// Overlays 20 (none) to 37; the stored number is the tile's index.
class KWForegroundSelectionViewController : public KWSelectionViewController {
public:
    explicit KWForegroundSelectionViewController(ProjectModelPtr project) : project_(std::move(project)) {}
    void viewDidLoad() override;
    void didSelectItem(const KWSelectionItem& item) override;

private:
    ProjectModelPtr project_;
};

// Effects 0 (none) to 7.
class KWMovieEffectSelectionViewController : public KWSelectionViewController {
public:
    explicit KWMovieEffectSelectionViewController(ProjectModelPtr project) : project_(std::move(project)) {}
    void viewDidLoad() override;
    void didSelectItem(const KWSelectionItem& item) override;

private:
    ProjectModelPtr project_;
};

// 0 no mask, 1 the 2.35 cinema mask, 2 the square (1.0) mask.
class KWMaskSelectionView : public KWSelectionViewController {
public:
    explicit KWMaskSelectionView(ProjectModelPtr project) : project_(std::move(project)) {}
    void viewDidLoad() override;
    void didSelectItem(const KWSelectionItem& item) override;
    // The tile of a stored mask: exact formats only, else 0.
    static int32_t tileForMask(bool mask, const foundation::Value& format);

private:
    ProjectModelPtr project_;
};
