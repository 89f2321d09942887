#include "app/widgets/views/HelpManager.h"

#include "app/widgets/views/AccentColor.h"
#include "app/widgets/views/TouchPassthrough.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>

namespace {

constexpr double kFadeDuration = 0.3;
constexpr double kLabelWidth = 320.0;
constexpr double kMargin = 20.0;
constexpr double kTextGap = 8.0;
const graphics::Size kNextButtonSize{120, 44};

std::string helpFilePath() {
    return foundation::path::appending(foundation::Paths::documentsDirectory(), HelpManager::kHelpManagerFile);
}

// The names dismissed so far; an unreadable file counts as none, so at worst
// a help comes once more.
foundation::Dictionary readDismissedNames() {
    std::error_code ec;
    if (!std::filesystem::exists(helpFilePath(), ec)) return {};
    auto value = foundation::plist::readFile(helpFilePath());
    if (!value || !value->isDictionary()) {
        std::fprintf(stderr, "HelpManager: ignoring unreadable %s\n", HelpManager::kHelpManagerFile);
        return {};
    }
    return value->asDictionary();
}

// Lays the overlay's parts out whenever its size changes, and lets touches
// and keys through to the screen under it.
class OverlayView : public ui::View {
public:
    std::function<void()> onLayout;
    TouchPassthrough passthrough;
    void layoutSubviews() override {
        if (onLayout) onLayout();
    }
    ui::View* hitTest(graphics::Point point, const ui::Event* event) override {
        if (passthrough.isAskingBelow()) return nullptr;
        return passthrough.route(*this, ui::View::hitTest(point, event), point, event);
    }
    std::vector<ui::ViewPtr> viewsReachedThrough() const override { return passthrough.viewsBelow(*this); }
};

}  // namespace

graphics::Rect placeHelpText(graphics::Size text, graphics::Point wanted, const graphics::Rect& bounds,
                             const graphics::Rect& avoid, double gap) {
    auto inside = [&bounds, &text](double x, double y) {
        return graphics::Rect{std::clamp(x, bounds.minX(), std::max(bounds.minX(), bounds.maxX() - text.width)),
                              std::clamp(y, bounds.minY(), std::max(bounds.minY(), bounds.maxY() - text.height)),
                              text.width, text.height};
    };
    const graphics::Rect centred = inside(wanted.x - text.width / 2, wanted.y - text.height / 2);
    const graphics::Rect keepOff = avoid.insetBy(-gap, -gap);
    if (!centred.intersects(keepOff)) return centred;
    // Above, below, left of or right of the button, whichever moves it least.
    const graphics::Rect candidates[] = {
        inside(centred.minX(), keepOff.minY() - text.height), inside(centred.minX(), keepOff.maxY()),
        inside(keepOff.minX() - text.width, centred.minY()), inside(keepOff.maxX(), centred.minY())};
    std::optional<graphics::Rect> best;
    auto distance = [&centred](const graphics::Rect& r) {
        return std::hypot(r.minX() - centred.minX(), r.minY() - centred.minY());
    };
    for (const graphics::Rect& candidate : candidates) {
        if (candidate.intersects(keepOff)) continue;
        if (!best || distance(candidate) < distance(*best)) best = candidate;
    }
    return best.value_or(centred);
}

std::shared_ptr<HelpManager> HelpManager::initWithName(const std::string& name) {
    if (wasDismissed(name)) return nullptr;
    auto help = std::shared_ptr<HelpManager>(new HelpManager(name));
    // A touch that went through to the screen closes the overlay as Next does.
    static_cast<OverlayView&>(*help->view_).passthrough.letEverythingThrough([weak = std::weak_ptr<HelpManager>(help)] {
        if (auto self = weak.lock()) self->dismiss();
    });
    return help;
}

bool HelpManager::wasDismissed(const std::string& name) { return readDismissedNames().get(name).asBool(); }

void HelpManager::rememberDismissed(const std::string& name) {
    auto names = readDismissedNames();
    names.set(name, foundation::Value(true));
    auto status = foundation::plist::writeFile(foundation::Value(names), helpFilePath());
    if (!status) {
        std::fprintf(stderr, "HelpManager: cannot write %s: %s\n", kHelpManagerFile,
                     status.error().description.c_str());
    }
}

std::string HelpManager::helpTextForName(const std::string& name) {
    static const std::map<std::string, std::string> texts = {
        {"Timeline", "Double-tap the frames to switch between the frame strip and the timeline."},
        {"Media", "Add voice overs, music and sound effects to your movie here."},
        {"CopyPaste", "Tap and hold a frame to select, copy, paste or delete frames."},
        {"Speed", "Change the speed of your movie and how it plays here."},
        {"Effects", "Give your movie a theme, titles and an effect here."},
        {"Mask", "Paint over the parts of the frame that should show the frame below."},
        {"PaintColor", "Pick a colour and a brush, then draw on the frame."},
    };
    auto found = texts.find(name);
    return foundation::localized(found != texts.end() ? found->second : "Tap Next to continue.");
}

HelpManager::HelpManager(std::string name) : name_(std::move(name)) {
    auto overlay = ui::makeView<OverlayView>();
    overlay->setBackgroundColor(graphics::Color::grey(0.0, 0.6));
    overlay->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    overlay->setAlpha(0.0);
    view_ = overlay;

    label_ = ui::makeView<ui::Label>();
    label_->setText(helpTextForName(name_));
    label_->setNumberOfLines(0);
    label_->setTextAlignment(graphics::TextAlignment::Center);
    label_->setTextColor(graphics::Color::white());
    label_->setFont(graphics::Font::boldSystemFont(20));
    view_->addSubview(label_);

    nextButton_ = std::make_shared<ui::Button>(ui::ButtonType::Custom);
    nextButton_->setTitle(foundation::localized("Next"), ui::ControlStateNormal);
    nextButton_->setTitleColor(graphics::Color::white(), ui::ControlStateNormal);
    nextButton_->setBackgroundColor(kAccentColor);
    nextButton_->layer().setCornerRadius(8);
    nextButton_->addTarget(
        this, [this](ui::Control&) { dismiss(); }, ui::ControlEventTouchUpInside);
    view_->addSubview(nextButton_);

    overlay->onLayout = [this] { layout(); };
}

HelpManager::~HelpManager() {
    if (auto* overlay = dynamic_cast<OverlayView*>(view_.get())) overlay->onLayout = nullptr;
    if (nextButton_) nextButton_->removeTarget(this, ui::ControlEventAllEvents);
}

void HelpManager::setPositionNextBtn(int position) {
    nextPosition_ = (position >= kTopLeft && position <= kBottomRight) ? position : kBottomRight;
    layout();
}

void HelpManager::setPositionLabel(graphics::Point position) {
    labelPosition_ = position;
    labelPositionSet_ = true;
    layout();
}

void HelpManager::layout() {
    const auto bounds = view_->bounds();
    auto textSize = label_->sizeThatFits({kLabelWidth, 0});
    textSize.width = kLabelWidth;
    graphics::Point centre =
        labelPositionSet_ ? labelPosition_ : graphics::Point{bounds.width() / 2, bounds.height() / 2};

    const bool left = nextPosition_ == kTopLeft || nextPosition_ == kBottomLeft;
    const bool top = nextPosition_ == kTopLeft || nextPosition_ == kTopRight;
    double bx = left ? kMargin : bounds.width() - kMargin - kNextButtonSize.width;
    double by = top ? kMargin : bounds.height() - kMargin - kNextButtonSize.height;
    nextButton_->setFrame({bx, by, kNextButtonSize.width, kNextButtonSize.height});
    // The whole text on the overlay whatever point the caller chose, and
    // never over the Next button (a phone's strip lies beside it).
    label_->setFrame(placeHelpText(textSize, centre, {{0, 0}, bounds.size}, nextButton_->frame(), kTextGap));
}

void HelpManager::show() {
    if (shown_) return;
    shown_ = true;
    layout();
    ui::animate(kFadeDuration, [this] { view_->setAlpha(1.0); });
}

void HelpManager::dismiss() {
    if (!shown_ || dismissing_) return;
    dismissing_ = true;
    rememberDismissed(name_);
    // The delegate usually drops its reference when told; stay alive until done.
    auto self = shared_from_this();
    ui::animate(
        kFadeDuration, [this] { view_->setAlpha(0.0); },
        [self](bool) {
            self->view_->removeFromSuperview();
            self->shown_ = false;
            if (self->delegate_) self->delegate_->helpManangerDidFinish(*self);
        });
}
