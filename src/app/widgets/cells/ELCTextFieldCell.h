#pragma once

// A table row with a label on the left and a text field filling the rest;
// without label text the field takes the whole row. The cell is the
// field's delegate and tells its own delegate of every edit with the row's
// index path, so a form of many rows needs one delegate.

#include "app/widgets/cells/ELCInsetTextField.h"
#include "platform/ui/lists/IndexPath.h"
#include "platform/ui/lists/TableViewCell.h"
#include "platform/ui/text/TextField.h"

#include <memory>
#include <optional>
#include <string>

namespace ui {
class Label;
}

class ELCTextFieldCell;

// Every call has a default that does what a delegate without it gets: the
// notices do nothing and the questions answer yes.
class ELCTextFieldDelegate : public ui::TextFieldDelegate {
public:
    // The return key; false keeps the keyboard.
    virtual bool textFieldCellShouldReturnForIndexPath(ELCTextFieldCell& cell, const ui::IndexPath& indexPath,
                                                       const std::string& withValue) {
        (void)cell, (void)indexPath, (void)withValue;
        return true;
    }
    // The field's text as it will be after an edit.
    virtual void textFieldCellUpdateTextLabelAtIndexPath(ELCTextFieldCell& cell, const ui::IndexPath& indexPath,
                                                         const std::string& string) {
        (void)cell, (void)indexPath, (void)string;
    }
    // The clear button was tapped (no text).
    virtual void updateTextLabelAtIndexPath(const ui::IndexPath& indexPath, const std::optional<std::string>& string) {
        (void)indexPath, (void)string;
    }
};

class ELCTextFieldCell : public ui::TableViewCell, protected ui::TextFieldDelegate {
public:
    static constexpr double kLabelWidth = 125;

    explicit ELCTextFieldCell(ui::TableViewCellStyle style = ui::TableViewCellStyle::Default,
                              std::string reuseIdentifier = {});
    ~ELCTextFieldCell() override;

    // Not owned.
    ELCTextFieldDelegate* delegate = nullptr;
    ui::IndexPath indexPath;

    ui::Label* leftLabel() const { return leftLabel_.get(); }
    ELCInsetTextField* rightTextField() const { return rightTextField_.get(); }

    void layoutSubviews() override;

protected:
    bool textFieldShouldReturn(ui::TextField& field) override;
    bool shouldChangeCharactersInRange(ui::TextField& field, ui::TextRange range,
                                       const std::string& replacementString) override;
    bool textFieldShouldClear(ui::TextField& field) override;
    bool textFieldShouldBeginEditing(ui::TextField& field) override;
    void textFieldDidBeginEditing(ui::TextField& field) override;
    bool textFieldShouldEndEditing(ui::TextField& field) override;
    void textFieldDidEndEditing(ui::TextField& field) override;

private:
    std::shared_ptr<ui::Label> leftLabel_;
    std::shared_ptr<ELCInsetTextField> rightTextField_;
};
