#pragma once

// A text-field row with a black line under its field.

#include "app/widgets/cells/ELCTextFieldCell.h"

class UnderlinedELCTextFieldCell : public ELCTextFieldCell {
public:
    explicit UnderlinedELCTextFieldCell(ui::TableViewCellStyle style = ui::TableViewCellStyle::Default,
                                        std::string reuseIdentifier = {});

    ui::View* blackLine() const { return blackLine_.get(); }

    void layoutSubviews() override;

private:
    ui::ViewPtr blackLine_;
};
