#include "app/screens/InfoCenterHelpViewController.h"

#include "app/core/ConfigurationUtil.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/lists/ScrollView.h"

#include <algorithm>

namespace {

constexpr double kMargin = 24.0;
constexpr double kBlockGap = 12.0;

bool isPlainPageName(const std::string& name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    });
}

std::string_view trimmed(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    return line;
}

}  // namespace

InfoCenterHelpViewController::InfoCenterHelpViewController(std::string nibName)
    : ui::ViewController(std::move(nibName)) {}

void InfoCenterHelpViewController::setSubpage(std::string subpage) {
    subpage_ = subpage.empty() ? kDefaultPage : std::move(subpage);
    if (isViewLoaded()) rebuild();
}

std::vector<InfoCenterHelpViewController::Block> InfoCenterHelpViewController::parsePage(std::string_view text) {
    std::vector<Block> blocks;
    bool paragraphOpen = false;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        auto line = trimmed(text.substr(start, end - start));
        start = end + 1;

        if (line.empty()) {
            paragraphOpen = false;
        } else if (blocks.empty()) {
            blocks.push_back({Block::Kind::Title, std::string(line)});
        } else if (line.starts_with("## ")) {
            blocks.push_back({Block::Kind::Heading, std::string(trimmed(line.substr(3)))});
            paragraphOpen = false;
        } else if (line.starts_with("- ")) {
            blocks.push_back({Block::Kind::Bullet, std::string(trimmed(line.substr(2)))});
            paragraphOpen = false;
        } else if (paragraphOpen) {
            blocks.back().text += " ";
            blocks.back().text += line;
        } else {
            blocks.push_back({Block::Kind::Paragraph, std::string(line)});
            paragraphOpen = true;
        }
        if (end == text.size()) break;
    }
    return blocks;
}

std::optional<std::vector<InfoCenterHelpViewController::Block>> InfoCenterHelpViewController::loadPage(
    const std::string& subpage) {
    // Only plain names: a page name must never reach outside the help folder.
    if (!isPlainPageName(subpage)) return std::nullopt;
    auto path = foundation::Bundle::main().pathForResource("help/" + subpage, "txt");
    if (!path) return std::nullopt;
    auto data = foundation::readFile(*path);
    if (!data) return std::nullopt;
    auto blocks = parsePage(std::string_view(reinterpret_cast<const char*>(data->data()), data->size()));
    if (blocks.empty()) return std::nullopt;
    return blocks;
}

std::optional<std::string> InfoCenterHelpViewController::onlineAddressForPage(const std::string& subpage) {
    auto base = ConfigurationUtil::mergedConfiguration().get("help_url").stringValue();
    if (!base || base->empty()) return std::nullopt;
    return foundation::path::appending(*base, subpage);
}

std::vector<ui::Label*> InfoCenterHelpViewController::blockLabels() const {
    std::vector<ui::Label*> labels;
    for (auto& label : labels_) labels.push_back(label.get());
    return labels;
}

void InfoCenterHelpViewController::loadView() {
    auto root = ui::makeView<ui::View>(graphics::Rect{{0, 0}, preferredContentSize});
    root->setBackgroundColor(graphics::Color::white());
    setView(root);
    scrollView_ = ui::makeView<ui::ScrollView>(root->bounds());
    scrollView_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    scrollView_->setAlwaysBounceVertical(true);
    root->addSubview(scrollView_);
}

void InfoCenterHelpViewController::viewDidLoad() {
    setTitle(foundation::localized("Help"));
    navigationItem().setRightBarButtonItem(
        std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::Done, [this](ui::BarButtonItem&) { close(); }));
    rebuild();
}

void InfoCenterHelpViewController::rebuild() {
    for (auto& label : labels_) label->removeFromSuperview();
    labels_.clear();

    auto page = loadPage(subpage_);
    if (page) {
        blocks_ = std::move(*page);
    } else {
        blocks_ = {{Block::Kind::Title, foundation::localized("Help")},
                   {Block::Kind::Paragraph, foundation::localized("This help page is not available.")}};
    }
    if (auto address = onlineAddressForPage(subpage_)) {
        blocks_.push_back({Block::Kind::Paragraph,
                           foundation::localizedFormat("More help online: %@", {foundation::Value(*address)})});
    }

    for (const auto& block : blocks_) {
        auto label = ui::makeView<ui::Label>();
        label->setNumberOfLines(0);
        switch (block.kind) {
            case Block::Kind::Title:
                label->setFont(graphics::Font::boldSystemFont(26));
                break;
            case Block::Kind::Heading:
                label->setFont(graphics::Font::boldSystemFont(19));
                break;
            case Block::Kind::Paragraph:
                label->setFont(graphics::Font::systemFont(16));
                break;
            case Block::Kind::Bullet:
                label->setFont(graphics::Font::systemFont(16));
                break;
        }
        label->setText(block.kind == Block::Kind::Bullet ? "\u2022 " + block.text : block.text);
        scrollView_->addSubview(label);
        labels_.push_back(label);
    }
    laidOutWidth_ = -1;
    view()->setNeedsLayout();
}

void InfoCenterHelpViewController::viewWillLayoutSubviews() {
    const double width = scrollView_->bounds().width();
    if (width == laidOutWidth_) return;
    laidOutWidth_ = width;
    double y = kMargin;
    for (size_t i = 0; i < labels_.size(); ++i) {
        const bool bullet = blocks_[i].kind == Block::Kind::Bullet;
        const double indent = bullet ? 16.0 : 0.0;
        const double textWidth = std::max(40.0, width - 2 * kMargin - indent);
        auto size = labels_[i]->sizeThatFits({textWidth, 0});
        labels_[i]->setFrame({kMargin + indent, y, textWidth, size.height});
        y += size.height + (bullet ? kBlockGap / 2 : kBlockGap);
    }
    scrollView_->setContentSize({width, y + kMargin});
}

bool InfoCenterHelpViewController::keyCommand(const ui::KeyPress& press) {
    if (press.key != ui::Key::Escape || !press.text.empty()) return false;
    close();
    return true;
}

void InfoCenterHelpViewController::close() {
    ui::ViewController* presented =
        navigationController() ? static_cast<ui::ViewController*>(navigationController()) : this;
    if (presented->isBeingDismissed()) return;  // a second Escape while it leaves
    presented->dismissViewController(true);
}
