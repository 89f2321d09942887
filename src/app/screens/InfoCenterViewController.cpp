#include "app/screens/InfoCenterViewController.h"

#include "app/core/ConfigurationUtil.h"
#include "app/core/DataManager.h"
#include "app/screens/InfoCenterHelpViewController.h"
#include "app/screens/ProjectExplorer.h"
#include "app/widgets/views/AccentColor.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Switch.h"

namespace {

constexpr double kHeaderHeight = 56.0;
constexpr double kRowHeight = 56.0;

std::string configurationText(const char* key) {
    return ConfigurationUtil::mergedConfiguration().get(key).stringValue().value_or("");
}

}  // namespace

InfoCenterViewController::InfoCenterViewController(std::string nibName) : ui::ViewController(std::move(nibName)) {}

InfoCenterViewController::~InfoCenterViewController() {
    for (auto& row : rows_) row->removeTarget(this, ui::ControlEventAllEvents);
    if (doneButton_) doneButton_->removeTarget(this, ui::ControlEventAllEvents);
    if (gallerySwitch_) gallerySwitch_->removeTarget(this, ui::ControlEventAllEvents);
}

std::string InfoCenterViewController::supportMessage() {
    auto mail = configurationText("support_mail");
    if (mail.empty()) return foundation::localized("No support address is configured.");
    auto subject = configurationText("support_mail_subject");
    if (subject.empty()) return foundation::localizedFormat("Write to us at %@.", {foundation::Value(mail)});
    return foundation::localizedFormat("Write to us at %@ with the subject \"%@\".",
                                       {foundation::Value(mail), foundation::Value(subject)});
}

std::string InfoCenterViewController::aboutMessage() {
    auto& bundle = foundation::Bundle::main();
    auto name = ConfigurationUtil::getLocalizedAppName().value_or(bundle.displayName());
    return foundation::localizedFormat("%@ version %@ (%@)",
                                       {foundation::Value(name), foundation::Value(bundle.shortVersionString()),
                                        foundation::Value(bundle.bundleVersion())});
}

void InfoCenterViewController::loadView() {
    auto root = ui::makeView<ui::View>(graphics::Rect{{0, 0}, preferredContentSize});
    root->setBackgroundColor(graphics::Color::grey(0.96));
    setView(root);

    titleLabel_ = ui::makeView<ui::Label>();
    titleLabel_->setText(foundation::localized("Info Center"));
    titleLabel_->setFont(graphics::Font::boldSystemFont(20));
    titleLabel_->setTextAlignment(graphics::TextAlignment::Center);
    root->addSubview(titleLabel_);

    doneButton_ = std::make_shared<ui::Button>(ui::ButtonType::System);
    doneButton_->setTitle(foundation::localized("Done"), ui::ControlStateNormal);
    doneButton_->addTarget(
        this, [this](ui::Control&) { actionDone(); }, ui::ControlEventTouchUpInside);
    doneButton_->setKeyEquivalent(ui::Key::Escape);
    root->addSubview(doneButton_);

    const std::pair<const char*, void (InfoCenterViewController::*)()> rows[] = {
        {"Help", &InfoCenterViewController::actionHelp},
        {"Support", &InfoCenterViewController::actionSupport},
        {"About", &InfoCenterViewController::actionAbout},
    };
    for (const auto& [title, action] : rows) {
        auto row = std::make_shared<ui::Button>(ui::ButtonType::Custom);
        row->setTitle(foundation::localized(title), ui::ControlStateNormal);
        row->setTitleColor(graphics::Color::black(), ui::ControlStateNormal);
        row->setTitleColor(kAccentColor, ui::ControlStateHighlighted);
        row->setBackgroundColor(graphics::Color::white());
        row->setContentHorizontalAlignment(ui::ControlContentHorizontalAlignment::Left);
        row->setContentEdgeInsets({0, 20, 0, 20});
        row->addTarget(
            this, [this, action = action](ui::Control&) { (this->*action)(); }, ui::ControlEventTouchUpInside);
        root->addSubview(row);
        rows_.push_back(row);
    }

    // The setting as the user last chose it, else as the browser keeps it.
    const auto& defaults = foundation::UserDefaults::standard();
    const char* key = ProjectExplorer::kGalleryEnabledDefaultsKey;
    const bool galleryOn = defaults.objectForKey(key).isNull()
                               ? DataManager::sharedDataManager().isYoutubeGalleryEnabled()
                               : defaults.boolForKey(key);
    galleryRow_ = ui::makeView<ui::View>();
    galleryRow_->setBackgroundColor(graphics::Color::white());
    galleryLabel_ = ui::makeView<ui::Label>();
    galleryLabel_->setText(foundation::localized("Gallery"));
    galleryRow_->addSubview(galleryLabel_);
    gallerySwitch_ = ui::makeView<ui::Switch>();
    gallerySwitch_->setOn(galleryOn);
    gallerySwitch_->setOnTintColor(kAccentColor);
    gallerySwitch_->addTarget(
        this,
        [key](ui::Control& control) {
            foundation::UserDefaults::standard().setBool(static_cast<ui::Switch&>(control).isOn(), key);
        },
        ui::ControlEventValueChanged);
    galleryRow_->addSubview(gallerySwitch_);
    root->addSubview(galleryRow_);
}

void InfoCenterViewController::viewWillLayoutSubviews() {
    const auto bounds = view()->bounds();
    titleLabel_->setFrame({0, 0, bounds.width(), kHeaderHeight});
    doneButton_->setFrame({bounds.width() - 90, 6, 80, kHeaderHeight - 12});
    double y = kHeaderHeight + 20;
    for (auto& row : rows_) {
        row->setFrame({0, y, bounds.width(), kRowHeight});
        y += kRowHeight + 1;  // a hairline of the background between rows
    }
    y += 19;  // the settings apart from the information
    galleryRow_->setFrame({0, y, bounds.width(), kRowHeight});
    const auto switchSize = gallerySwitch_->sizeThatFits({});
    gallerySwitch_->setFrame({bounds.width() - 20 - switchSize.width, (kRowHeight - switchSize.height) / 2,
                              switchSize.width, switchSize.height});
    galleryLabel_->setFrame({20, 0, gallerySwitch_->frame().minX() - 30, kRowHeight});
}

void InfoCenterViewController::actionHelp() {
    auto help = std::make_shared<InfoCenterHelpViewController>("InfoCenterHelpViewController");
    help->setSubpage(InfoCenterHelpViewController::kDefaultPage);
    auto navigation = std::make_shared<ui::NavigationController>(help);
    navigation->modalPresentationStyle = ui::ModalPresentationStyle::FormSheet;
    presentViewController(navigation, true);
}

void InfoCenterViewController::actionSupport() { showMessage(foundation::localized("Support"), supportMessage()); }

void InfoCenterViewController::actionAbout() { showMessage(foundation::localized("About"), aboutMessage()); }

void InfoCenterViewController::actionDone() {
    if (delegate_) delegate_->infoCenterDidFinish(*this);
}

void InfoCenterViewController::showMessage(const std::string& title, const std::string& message) {
    auto alert =
        ui::makeView<ui::AlertView>(title, message, nullptr, foundation::localized("OK"), std::vector<std::string>{});
    alert->show();
}
