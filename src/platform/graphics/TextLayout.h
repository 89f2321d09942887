#pragma once

// Line breaking shared by text measurement and text drawing, so that what
// is measured is what is drawn.

#include "platform/graphics/Font.h"

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

class QPaintDevice;

namespace graphics::detail {

struct TextLine {
    QString text;  // as drawn (ellipsis included)
    double width = 0;
};

// The text's paragraphs: a line feed, a carriage return and the pair of
// both each end one, as they do in every label of the platform.
QStringList paragraphsOf(const QString& text);

std::vector<TextLine> layoutText(const std::string& text, const Font& font, double maxWidth, LineBreakMode mode);

// A 72-dpi device for metrics, where one point is one unit.
QPaintDevice* referenceDevice();

// Throws std::logic_error when no QGuiApplication exists; registers the
// default face on first use.
void requireGuiApplication();

}  // namespace graphics::detail
