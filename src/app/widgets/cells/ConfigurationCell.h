#pragma once

// A settings row: a title, a line of description below it and an on/off
// switch on the right.

#include "platform/ui/lists/TableViewCell.h"

#include <memory>
#include <string>

namespace ui {
class Label;
class Switch;
}  // namespace ui

class ConfigurationCell : public ui::TableViewCell {
public:
    explicit ConfigurationCell(std::string reuseIdentifier = {});

    // The cell's content view holds the labels.
    ui::Label* labelTitle() const { return labelTitle_; }
    ui::Label* labelDescription() const { return labelDescription_; }
    ui::Switch* switchOnOff() const { return switchOnOff_.get(); }

    void layoutSubviews() override;

private:
    ui::Label* labelTitle_ = nullptr;
    ui::Label* labelDescription_ = nullptr;
    std::shared_ptr<ui::Switch> switchOnOff_;
};
