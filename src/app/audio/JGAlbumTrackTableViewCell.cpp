#include "app/audio/JGAlbumTrackTableViewCell.h"

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Control.h"
#include "platform/ui/controls/Label.h"

namespace {

constexpr double kNumberWidth = 34;
constexpr double kLengthWidth = 64;

graphics::Image playGlyph(bool playing) {
    const double size = JGAlbumTrackTableViewCell::kPlayButtonSize;
    graphics::GraphicsContext context(graphics::Size{size, size}, 2.0);
    const graphics::Color color = playing ? graphics::Color::rgb8(0, 122, 255) : graphics::Color::grey(0.45);
    context.setStrokeColor(color);
    context.setLineWidth(1.5);
    context.strokeEllipse(graphics::Rect(3, 3, size - 6, size - 6));
    context.setFillColor(color);
    if (playing) {
        context.fillRect(graphics::Rect(size / 2 - 6, size / 2 - 6, 12, 12));
    } else {
        graphics::Path triangle;
        triangle.moveTo(graphics::Point{size / 2 - 4, size / 2 - 7});
        triangle.lineTo(graphics::Point{size / 2 + 7, size / 2});
        triangle.lineTo(graphics::Point{size / 2 - 4, size / 2 + 7});
        triangle.close();
        context.fillPath(triangle);
    }
    return context.makeImage();
}

std::shared_ptr<ui::Label> makeLabel(graphics::TextAlignment alignment, const graphics::Font& font) {
    auto label = ui::makeView<ui::Label>();
    label->setTextAlignment(alignment);
    label->setFont(font);
    label->setBackgroundColor(graphics::Color::clear());
    return label;
}

}  // namespace

JGAlbumTrackTableViewCell::JGAlbumTrackTableViewCell()
    : ui::TableViewCell(ui::TableViewCellStyle::Default, kReuseIdentifier) {
    auto number = makeLabel(graphics::TextAlignment::Right, graphics::Font::systemFont(14));
    number->setTextColor(graphics::Color::grey(0.45));
    trackNumberLabel_ = number.get();
    contentView().addSubview(number);
    auto name = makeLabel(graphics::TextAlignment::Left, graphics::Font::boldSystemFont(15));
    trackNameLabel_ = name.get();
    contentView().addSubview(name);
    auto length = makeLabel(graphics::TextAlignment::Right, graphics::Font::systemFont(14));
    length->setTextColor(graphics::Color::grey(0.45));
    trackLengthLabel_ = length.get();
    contentView().addSubview(length);
    auto play = ui::makeView<ui::Button>(ui::ButtonType::Custom);
    play->setImage(playGlyph(false), ui::ControlStateNormal);
    play->setImage(playGlyph(true), ui::ControlStateSelected);
    btnPlay_ = play.get();
    contentView().addSubview(play);
    // An empty background view, so rows can be tinted.
    setBackgroundView(ui::makeView<ui::View>());
}

std::shared_ptr<JGAlbumTrackTableViewCell> JGAlbumTrackTableViewCell::dequeue(ui::TableView& table, const void* target,
                                                                              std::function<void(size_t row)> play) {
    if (auto reused = std::dynamic_pointer_cast<JGAlbumTrackTableViewCell>(
            table.dequeueReusableCellWithIdentifier(kReuseIdentifier)))
        return reused;
    auto cell = std::make_shared<JGAlbumTrackTableViewCell>();
    cell->btnPlay_->addTarget(
        target, [play = std::move(play)](ui::Control& sender) { play(static_cast<size_t>(sender.tag())); },
        ui::ControlEventTouchUpInside);
    return cell;
}

void JGAlbumTrackTableViewCell::showTrack(const std::string& number, const std::string& name, const std::string& length,
                                          size_t row, bool playing, bool playable) {
    trackNumberLabel_->setText(number);
    trackNameLabel_->setText(name);
    trackLengthLabel_->setText(length);
    trackNameLabel_->setTextColor(playable ? graphics::Color::black() : graphics::Color::lightGray());
    setUserInteractionEnabled(playable);
    btnPlay_->setEnabled(playable);
    btnPlay_->setTag(static_cast<int>(row));
    btnPlay_->setSelected(playing);
    setRowBackground(row);
}

void JGAlbumTrackTableViewCell::setRowBackground(size_t row) {
    backgroundView()->setBackgroundColor(row % 2 == 1 ? graphics::Color::grey(245.0 / 255.0)
                                                      : graphics::Color::white());
}

void JGAlbumTrackTableViewCell::layoutSubviews() {
    ui::TableViewCell::layoutSubviews();
    const graphics::Rect box = contentView().bounds();
    const double h = box.size.height;
    btnPlay_->setFrame(graphics::Rect(6, (h - kPlayButtonSize) / 2, kPlayButtonSize, kPlayButtonSize));
    trackNumberLabel_->setFrame(graphics::Rect(6 + kPlayButtonSize, 0, kNumberWidth, h));
    const double nameX = 6 + kPlayButtonSize + kNumberWidth + 10;
    trackNameLabel_->setFrame(graphics::Rect(nameX, 0, std::max(0.0, box.size.width - nameX - kLengthWidth - 12), h));
    trackLengthLabel_->setFrame(graphics::Rect(box.size.width - kLengthWidth - 12, 0, kLengthWidth, h));
}
