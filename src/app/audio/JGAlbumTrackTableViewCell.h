#pragma once

// The row of a track in the album screen and in the application's sound
// lists: number, name, length and a play button for listening.

#include "platform/ui/lists/TableViewCell.h"

namespace ui {
class Button;
class Label;
}  // namespace ui

class JGAlbumTrackTableViewCell : public ui::TableViewCell {
public:
    static constexpr const char* kReuseIdentifier = "AlbumTrackCell";
    static constexpr double kPlayButtonSize = 36;

    JGAlbumTrackTableViewCell();

    ui::Label* trackNumberLabel() const { return trackNumberLabel_; }
    ui::Label* trackNameLabel() const { return trackNameLabel_; }
    ui::Label* trackLengthLabel() const { return trackLengthLabel_; }
    ui::Button* btnPlay() const { return btnPlay_; }

    // Grey on odd rows, white on even ones.
    void setRowBackground(size_t row);
    void layoutSubviews() override;

private:
    ui::Label* trackNumberLabel_ = nullptr;
    ui::Label* trackNameLabel_ = nullptr;
    ui::Label* trackLengthLabel_ = nullptr;
    ui::Button* btnPlay_ = nullptr;
};
