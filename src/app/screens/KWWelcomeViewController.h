#pragma once

// The welcome pager shown at the first launch: a few pages that introduce
// the application, swiped sideways, closed with Skip or with Start on the
// last page. Whether the user has seen it is a flag in the user defaults.

#include "app/widgets/views/PagedView.h"
#include "platform/ui/controllers/ViewController.h"

#include <memory>
#include <string>
#include <vector>

namespace ui {
class Button;
}

class KWWelcomeViewController : public ui::ViewController, private PagedViewDelegate {
public:
    static inline const char* kHasSeenKey = "KWWelcomeViewControllerHasSeen";

    struct Page {
        std::string title;
        std::string text;
    };

    KWWelcomeViewController();
    ~KWWelcomeViewController() override;

    static bool getHasSeen();
    static void setHasSeen(bool hasSeen);

    // The pages, in their order, with localized texts.
    static std::vector<Page> pages();

    PagedView* pagedView() const { return pagedView_.get(); }
    ui::Button* skipButton() const { return skipButton_.get(); }
    ui::Button* startButton() const { return startButton_.get(); }

    // Skip and Start: dismisses the pager, animated.
    void close();

    void loadView() override;
    void viewWillLayoutSubviews() override;
    unsigned supportedInterfaceOrientations() const override { return ui::OrientationMaskLandscape; }

private:
    int64_t numberOfPagesInPagedView(PagedView& pagedView) override;
    ui::ViewPtr pagedView(PagedView& pagedView, int64_t viewForPageAtIndex) override;

    std::vector<Page> pages_;
    std::shared_ptr<PagedView> pagedView_;
    std::shared_ptr<ui::Button> skipButton_;
    std::shared_ptr<ui::Button> startButton_;
    bool closing_ = false;
};
