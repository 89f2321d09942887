#pragma once

// The help pages: short texts shipped among the resources ("help/<page>.txt")
// drawn with labels in a scrolling view. The first line of a page is its
// title; a line starting with "## " is a heading, one starting with "- " a
// list item, and blank lines separate paragraphs. The page's address in the
// online help (the configured "help_url" plus the page name) is shown at
// the end. The screen closes itself with its Done button or Escape.

#include "platform/ui/controllers/ViewController.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {
class Label;
class ScrollView;
}  // namespace ui

class InfoCenterHelpViewController : public ui::ViewController {
public:
    static inline const char* kDefaultPage = "index";

    struct Block {
        enum class Kind { Title, Heading, Paragraph, Bullet };
        Kind kind;
        std::string text;
        bool operator==(const Block&) const = default;
    };

    explicit InfoCenterHelpViewController(std::string nibName = "InfoCenterHelpViewController");

    // Selects the page shown; an empty name selects the index page.
    void setSubpage(std::string subpage);
    const std::string& subpage() const { return subpage_; }

    // The blocks of a page text.
    static std::vector<Block> parsePage(std::string_view text);
    // The shipped page of that name; none for an unknown page or a name that
    // is not a plain page name (letters, digits, "-" and "_" only).
    static std::optional<std::vector<Block>> loadPage(const std::string& subpage);
    // The page's online address, or none without a configured help address.
    static std::optional<std::string> onlineAddressForPage(const std::string& subpage);

    // What the screen shows now.
    const std::vector<Block>& blocks() const { return blocks_; }
    std::vector<ui::Label*> blockLabels() const;
    ui::ScrollView* scrollView() const { return scrollView_.get(); }

    // Done: dismisses the screen (with the navigation controller it is in).
    void close();

    void loadView() override;
    void viewDidLoad() override;
    void viewWillLayoutSubviews() override;
    // Escape closes the page as Done does, as every sheet closes.
    bool keyCommand(const ui::KeyPress& press) override;

private:
    void rebuild();

    std::string subpage_ = kDefaultPage;
    std::vector<Block> blocks_;
    std::shared_ptr<ui::ScrollView> scrollView_;
    std::vector<std::shared_ptr<ui::Label>> labels_;
    double laidOutWidth_ = -1;
};
