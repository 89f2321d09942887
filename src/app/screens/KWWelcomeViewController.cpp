#include "app/screens/KWWelcomeViewController.h"

#include "app/widgets/views/AccentColor.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"

#include <algorithm>

namespace {

const graphics::Color kBackground = graphics::Color::rgb8(24, 20, 32);

// One page: a large title over a paragraph, centred.
ui::ViewPtr makePageView(const KWWelcomeViewController::Page& page, graphics::Size size) {
    auto view = ui::makeView<ui::View>(graphics::Rect{{0, 0}, size});
    auto title = ui::makeView<ui::Label>();
    title->setText(page.title);
    title->setFont(graphics::Font::boldSystemFont(34));
    title->setTextColor(graphics::Color::white());
    title->setTextAlignment(graphics::TextAlignment::Center);
    title->setFrame({40, size.height * 0.3, size.width - 80, 44});
    title->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
    view->addSubview(title);

    auto text = ui::makeView<ui::Label>();
    text->setText(page.text);
    text->setNumberOfLines(0);
    text->setFont(graphics::Font::systemFont(20));
    text->setTextColor(graphics::Color::grey(0.85));
    text->setTextAlignment(graphics::TextAlignment::Center);
    const double width = std::min(560.0, size.width - 80);
    auto fitted = text->sizeThatFits({width, 0});
    text->setFrame({(size.width - width) / 2, size.height * 0.3 + 64, width, fitted.height});
    view->addSubview(text);
    return view;
}

}  // namespace

KWWelcomeViewController::KWWelcomeViewController() : pages_(pages()) {}

KWWelcomeViewController::~KWWelcomeViewController() {
    if (pagedView_) pagedView_->setDelegate(nullptr);
    if (skipButton_) skipButton_->removeTarget(this, ui::ControlEventAllEvents);
    if (startButton_) startButton_->removeTarget(this, ui::ControlEventAllEvents);
}

bool KWWelcomeViewController::getHasSeen() { return foundation::UserDefaults::standard().boolForKey(kHasSeenKey); }

void KWWelcomeViewController::setHasSeen(bool hasSeen) {
    foundation::UserDefaults::standard().setBool(hasSeen, kHasSeenKey);
}

std::vector<KWWelcomeViewController::Page> KWWelcomeViewController::pages() {
    using foundation::localized;
    return {
        {localized("Welcome"), localized("Make your own stop-motion movies, one frame at a time.")},
        {localized("Capture"),
         localized("Move your figures a little, take a picture, and repeat. The onion skin shows the last frame.")},
        {localized("Edit"), localized("Copy, paste, hold and reverse frames. Add music, voice overs and titles.")},
        {localized("Share"), localized("Render your movie and share it with your friends and family.")},
    };
}

void KWWelcomeViewController::loadView() {
    auto root = ui::makeView<ui::View>(graphics::Rect{0, 0, 1024, 768});
    root->setBackgroundColor(kBackground);
    setView(root);

    pagedView_ = ui::makeView<PagedView>(root->bounds());
    pagedView_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    pagedView_->setDelegate(this);
    root->addSubview(pagedView_);

    skipButton_ = std::make_shared<ui::Button>(ui::ButtonType::Custom);
    skipButton_->setTitle(foundation::localized("Skip"), ui::ControlStateNormal);
    skipButton_->setTitleColor(graphics::Color::grey(0.85), ui::ControlStateNormal);
    skipButton_->addTarget(
        this, [this](ui::Control&) { close(); }, ui::ControlEventTouchUpInside);
    root->addSubview(skipButton_);

    startButton_ = std::make_shared<ui::Button>(ui::ButtonType::Custom);
    startButton_->setTitle(foundation::localized("Start"), ui::ControlStateNormal);
    startButton_->setTitleColor(graphics::Color::white(), ui::ControlStateNormal);
    startButton_->setBackgroundColor(kAccentColor);
    startButton_->layer().setCornerRadius(8);
    startButton_->addTarget(
        this, [this](ui::Control&) { close(); }, ui::ControlEventTouchUpInside);
    // On the last page Return starts; before it, it turns the page.
    startButton_->setKeyEquivalent(ui::Key::Return);
}

void KWWelcomeViewController::viewWillLayoutSubviews() {
    const auto bounds = view()->bounds();
    skipButton_->setFrame({bounds.width() - 110, 20, 90, 44});
}

int64_t KWWelcomeViewController::numberOfPagesInPagedView(PagedView&) { return static_cast<int64_t>(pages_.size()); }

ui::ViewPtr KWWelcomeViewController::pagedView(PagedView& pagedView, int64_t viewForPageAtIndex) {
    if (viewForPageAtIndex < 0 || viewForPageAtIndex >= static_cast<int64_t>(pages_.size())) return nullptr;
    const auto size = pagedView.scrollView().frame().size;
    auto page = makePageView(pages_[static_cast<size_t>(viewForPageAtIndex)], size);
    if (viewForPageAtIndex + 1 == static_cast<int64_t>(pages_.size())) {
        startButton_->removeFromSuperview();
        startButton_->setFrame({(size.width - 200) / 2, size.height * 0.72, 200, 50});
        page->addSubview(startButton_);
    }
    return page;
}

void KWWelcomeViewController::close() {
    if (closing_) return;
    closing_ = true;
    dismissViewController(true);
}
