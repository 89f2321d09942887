#pragma once

// The row of a track in the album screen and in the application's sound
// lists: number, name, length and a play button for listening.

#include "platform/ui/lists/TableView.h"
#include "platform/ui/lists/TableViewCell.h"

#include <functional>
#include <memory>
#include <string>

namespace ui {
class Button;
class Label;
}  // namespace ui

class JGAlbumTrackTableViewCell : public ui::TableViewCell {
public:
    static constexpr const char* kReuseIdentifier = "AlbumTrackCell";
    static constexpr double kPlayButtonSize = 36;

    JGAlbumTrackTableViewCell();

    // A cell for the table, reused or new; a new one's play button calls
    // `play` with the row it shows.
    static std::shared_ptr<JGAlbumTrackTableViewCell> dequeue(ui::TableView& table, const void* target,
                                                              std::function<void(size_t row)> play);
    // The row's texts, its play button (selected while it plays) and tint.
    // An unplayable row is grey, takes no touches and cannot be listened to.
    void showTrack(const std::string& number, const std::string& name, const std::string& length, size_t row,
                   bool playing, bool playable = true);

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
