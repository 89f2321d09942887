#include "platform/graphics/GraphicsContext.h"

#include "platform/graphics/Shadow.h"
#include "platform/graphics/TextLayout.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace graphics {

struct GraphicsContext::State {
    Color fill = Color::black();
    Color stroke = Color::black();
    double lineWidth = 1.0;
    LineCap lineCap = LineCap::Butt;
    LineJoin lineJoin = LineJoin::Miter;
    double miterLimit = 10.0;
    std::vector<double> dash;
    double dashPhase = 0;
    double alpha = 1.0;
    BlendMode blendMode = BlendMode::Normal;
    bool antialias = true;
    bool smoothImages = true;
    bool hasShadow = false;
    Size shadowOffset;
    double shadowBlur = 0;
    Color shadowColor;
};

namespace {

QRectF toQRect(const Rect& rect) {
    Rect r = rect.standardized();
    return QRectF(r.origin.x, r.origin.y, r.size.width, r.size.height);
}

QPointF toQPoint(Point p) { return QPointF(p.x, p.y); }

Qt::PenCapStyle toQt(LineCap cap) {
    switch (cap) {
        case LineCap::Round:
            return Qt::RoundCap;
        case LineCap::Square:
            return Qt::SquareCap;
        case LineCap::Butt:
            break;
    }
    return Qt::FlatCap;
}

Qt::PenJoinStyle toQt(LineJoin join) {
    switch (join) {
        case LineJoin::Round:
            return Qt::RoundJoin;
        case LineJoin::Bevel:
            return Qt::BevelJoin;
        case LineJoin::Miter:
            break;
    }
    // Falls back to a bevel past the limit, as the drawing system's miter does.
    return Qt::SvgMiterJoin;
}

QPainterPath withRule(const Path& path, FillRule rule) {
    QPainterPath copy = path.painterPath();
    copy.setFillRule(rule == FillRule::EvenOdd ? Qt::OddEvenFill : Qt::WindingFill);
    return copy;
}

QGradientStops toStops(const Gradient& gradient) {
    QGradientStops stops;
    for (const auto& stop : gradient.stops) stops.append({std::clamp(stop.location, 0.0, 1.0), stop.color.toQColor()});
    std::stable_sort(stops.begin(), stops.end(),
                     [](const QGradientStop& a, const QGradientStop& b) { return a.first < b.first; });
    return stops;
}

}  // namespace

QPainter::CompositionMode toCompositionMode(BlendMode mode) {
    switch (mode) {
        case BlendMode::Normal:
            return QPainter::CompositionMode_SourceOver;
        case BlendMode::Multiply:
            return QPainter::CompositionMode_Multiply;
        case BlendMode::Screen:
            return QPainter::CompositionMode_Screen;
        case BlendMode::Overlay:
            return QPainter::CompositionMode_Overlay;
        case BlendMode::Darken:
            return QPainter::CompositionMode_Darken;
        case BlendMode::Lighten:
            return QPainter::CompositionMode_Lighten;
        case BlendMode::ColorDodge:
            return QPainter::CompositionMode_ColorDodge;
        case BlendMode::ColorBurn:
            return QPainter::CompositionMode_ColorBurn;
        case BlendMode::SoftLight:
            return QPainter::CompositionMode_SoftLight;
        case BlendMode::HardLight:
            return QPainter::CompositionMode_HardLight;
        case BlendMode::Difference:
            return QPainter::CompositionMode_Difference;
        case BlendMode::Exclusion:
            return QPainter::CompositionMode_Exclusion;
        case BlendMode::Clear:
            return QPainter::CompositionMode_Clear;
        case BlendMode::Copy:
            return QPainter::CompositionMode_Source;
        case BlendMode::SourceIn:
            return QPainter::CompositionMode_SourceIn;
        case BlendMode::SourceOut:
            return QPainter::CompositionMode_SourceOut;
        case BlendMode::SourceAtop:
            return QPainter::CompositionMode_SourceAtop;
        case BlendMode::DestinationOver:
            return QPainter::CompositionMode_DestinationOver;
        case BlendMode::DestinationIn:
            return QPainter::CompositionMode_DestinationIn;
        case BlendMode::DestinationOut:
            return QPainter::CompositionMode_DestinationOut;
        case BlendMode::DestinationAtop:
            return QPainter::CompositionMode_DestinationAtop;
        case BlendMode::XOR:
            return QPainter::CompositionMode_Xor;
        case BlendMode::PlusLighter:
            return QPainter::CompositionMode_Plus;
    }
    return QPainter::CompositionMode_SourceOver;
}

Gradient Gradient::withColors(const std::vector<Color>& colors) {
    Gradient gradient;
    for (size_t i = 0; i < colors.size(); ++i) {
        double location = colors.size() > 1 ? static_cast<double>(i) / static_cast<double>(colors.size() - 1) : 0.0;
        gradient.stops.push_back({location, colors[i]});
    }
    return gradient;
}

Gradient Gradient::withColors(const std::vector<Color>& colors, const std::vector<double>& locations) {
    if (locations.size() != colors.size()) return withColors(colors);
    Gradient gradient;
    for (size_t i = 0; i < colors.size(); ++i) gradient.stops.push_back({locations[i], colors[i]});
    return gradient;
}

GraphicsContext::GraphicsContext(Size size, double scale, bool opaque)
    : size_(size), scale_(std::isfinite(scale) && scale > 0 ? scale : 1.0) {
    double w = std::ceil(std::max(0.0, size.width) * scale_ - 1e-9);
    double h = std::ceil(std::max(0.0, size.height) * scale_ - 1e-9);
    empty_ = !(w >= 1 && h >= 1 && w <= 32767 && h <= 32767);
    // An empty context still has a pixel to draw into, so every call stays
    // harmless; makeImage() then gives a null image.
    bitmap_ = QImage(empty_ ? 1 : static_cast<int>(w), empty_ ? 1 : static_cast<int>(h),
                     opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    if (bitmap_.isNull()) {
        empty_ = true;
        bitmap_ = QImage(1, 1, QImage::Format_ARGB32_Premultiplied);
    }
    bitmap_.fill(opaque ? Qt::black : Qt::transparent);
    begin();
}

GraphicsContext::GraphicsContext(const Image& image) : size_(image.size()), scale_(image.scale()) {
    empty_ = image.isNull();
    bitmap_ = empty_ ? QImage(1, 1, QImage::Format_ARGB32_Premultiplied)
                     : image.normalized().bitmap().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (empty_) bitmap_.fill(Qt::transparent);
    // convertToFormat shares the pixels when the format already matches;
    // painting must not write into the image we were given.
    bitmap_.detach();
    begin();
}

void GraphicsContext::begin() {
    bitmap_.setDotsPerMeterX(kDotsPerMeterAt72Dpi);
    bitmap_.setDotsPerMeterY(kDotsPerMeterAt72Dpi);
    states_.assign(1, State{});
    painter_ = std::make_unique<QPainter>(&bitmap_);
    painter_->setRenderHint(QPainter::Antialiasing, true);
    painter_->setRenderHint(QPainter::TextAntialiasing, true);
    painter_->setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter_->scale(scale_, scale_);
}

GraphicsContext::~GraphicsContext() { painter_->end(); }

GraphicsContext::State& GraphicsContext::state() { return states_.back(); }

const GraphicsContext::State& GraphicsContext::state() const { return states_.back(); }

void GraphicsContext::saveGState() {
    states_.push_back(states_.back());
    painter_->save();
}

void GraphicsContext::restoreGState() {
    if (states_.size() <= 1) return;
    states_.pop_back();
    painter_->restore();
}

AffineTransform GraphicsContext::ctm() const {
    return AffineTransform::fromQTransform(painter_->worldTransform() * QTransform::fromScale(1 / scale_, 1 / scale_));
}

void GraphicsContext::translate(double tx, double ty) { painter_->translate(tx, ty); }

void GraphicsContext::scaleBy(double sx, double sy) { painter_->scale(sx, sy); }

void GraphicsContext::rotate(double angle) { painter_->rotate(angle * 180.0 / std::numbers::pi); }

void GraphicsContext::concat(const AffineTransform& transform) {
    painter_->setWorldTransform(transform.toQTransform(), true);
}

void GraphicsContext::setFillColor(const Color& color) { state().fill = color; }
void GraphicsContext::setStrokeColor(const Color& color) { state().stroke = color; }
void GraphicsContext::setLineWidth(double width) { state().lineWidth = std::max(0.0, width); }
void GraphicsContext::setLineCap(LineCap cap) { state().lineCap = cap; }
void GraphicsContext::setLineJoin(LineJoin join) { state().lineJoin = join; }
void GraphicsContext::setMiterLimit(double limit) { state().miterLimit = limit; }
void GraphicsContext::setLineDash(double phase, const std::vector<double>& lengths) {
    state().dashPhase = phase;
    state().dash = lengths;
}
void GraphicsContext::setAlpha(double alpha) { state().alpha = std::clamp(alpha, 0.0, 1.0); }
void GraphicsContext::setBlendMode(BlendMode mode) { state().blendMode = mode; }
void GraphicsContext::setAntialias(bool on) { state().antialias = on; }
void GraphicsContext::setSmoothImageScaling(bool on) { state().smoothImages = on; }
void GraphicsContext::setShadow(Size offset, double blur, const Color& color) {
    State& s = state();
    s.hasShadow = true;
    s.shadowOffset = offset;
    s.shadowBlur = std::max(0.0, blur);
    s.shadowColor = color;
}
void GraphicsContext::clearShadow() { state().hasShadow = false; }

const Color& GraphicsContext::fillColor() const { return state().fill; }
const Color& GraphicsContext::strokeColor() const { return state().stroke; }
double GraphicsContext::lineWidth() const { return state().lineWidth; }
double GraphicsContext::alpha() const { return state().alpha; }
BlendMode GraphicsContext::blendMode() const { return state().blendMode; }

QBrush GraphicsContext::brushFor(const Color& color) const {
    auto tile = color.patternImage();
    if (!tile || tile->isNull()) return QBrush(color.toQColor());
    Image upright = tile->normalized();
    QImage texture = upright.bitmap();
    if (color.alpha() < 1.0) {
        // The pattern's own alpha applies on top of the tile's.
        texture = texture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter fade(&texture);
        fade.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        fade.fillRect(texture.rect(), QColor(0, 0, 0, static_cast<int>(std::lround(color.alpha() * 255))));
    }
    QBrush brush(texture);
    brush.setTransform(QTransform::fromScale(1 / upright.scale(), 1 / upright.scale()));
    return brush;
}

QPen GraphicsContext::strokePen(const Path* path) const {
    const State& s = state();
    double width = path ? path->lineWidth : s.lineWidth;
    QPen pen(brushFor(s.stroke), width, Qt::SolidLine, toQt(path ? path->lineCap : s.lineCap),
             toQt(path ? path->lineJoin : s.lineJoin));
    // Qt measures the miter from the join point in pen widths; the drawing
    // system measures the whole miter against the line width.
    pen.setMiterLimit((path ? path->miterLimit : s.miterLimit) / 2);
    const std::vector<double>& dash = path ? path->dashPattern : s.dash;
    double phase = path ? path->dashPhase : s.dashPhase;
    if (!dash.empty() && width > 0) {
        QList<qreal> pattern;
        for (double length : dash) pattern.append(std::max(length, 0.0) / width);
        if (pattern.size() % 2 == 1) pattern.append(pattern);  // odd patterns repeat to pair up
        pen.setDashPattern(pattern);
        pen.setDashOffset(phase / width);
    }
    return pen;
}

void GraphicsContext::paint(const std::function<void(QPainter&)>& draw) {
    const State& s = state();
    auto prepare = [&](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing, s.antialias);
        p.setRenderHint(QPainter::SmoothPixmapTransform, s.smoothImages);
    };
    if (!s.hasShadow) {
        painter_->save();
        prepare(*painter_);
        painter_->setOpacity(s.alpha);
        painter_->setCompositionMode(toCompositionMode(s.blendMode));
        draw(*painter_);
        painter_->restore();
        return;
    }
    // With a shadow the shape is drawn alone first, its silhouette becomes
    // the shadow, and both are then composited with the context's settings.
    QImage layer(bitmap_.size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    layer.setDotsPerMeterX(kDotsPerMeterAt72Dpi);
    layer.setDotsPerMeterY(kDotsPerMeterAt72Dpi);
    {
        QPainter layerPainter(&layer);
        prepare(layerPainter);
        layerPainter.setWorldTransform(painter_->worldTransform());
        draw(layerPainter);
    }
    QImage shadow = detail::makeShadow(layer, s.shadowColor.toQColor(), s.shadowBlur * scale_);
    painter_->save();
    painter_->resetTransform();
    painter_->setOpacity(s.alpha);
    painter_->setCompositionMode(toCompositionMode(s.blendMode));
    painter_->drawImage(QPointF(s.shadowOffset.width * scale_, s.shadowOffset.height * scale_), shadow);
    painter_->drawImage(QPointF(0, 0), layer);
    painter_->restore();
}

void GraphicsContext::fillRect(const Rect& rect) {
    QBrush brush = brushFor(state().fill);
    paint([&](QPainter& p) { p.fillRect(toQRect(rect), brush); });
}

void GraphicsContext::strokeRect(const Rect& rect) {
    QPen pen = strokePen(nullptr);
    paint([&](QPainter& p) {
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(toQRect(rect));
    });
}

void GraphicsContext::clearRect(const Rect& rect) {
    painter_->save();
    painter_->setOpacity(1.0);
    painter_->setCompositionMode(QPainter::CompositionMode_Clear);
    painter_->setRenderHint(QPainter::Antialiasing, state().antialias);
    painter_->fillRect(toQRect(rect), Qt::black);
    painter_->restore();
}

void GraphicsContext::fillEllipse(const Rect& rect) {
    QBrush brush = brushFor(state().fill);
    paint([&](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(brush);
        p.drawEllipse(toQRect(rect));
    });
}

void GraphicsContext::strokeEllipse(const Rect& rect) {
    QPen pen = strokePen(nullptr);
    paint([&](QPainter& p) {
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(toQRect(rect));
    });
}

void GraphicsContext::fillPath(const Path& path, FillRule rule) {
    QBrush brush = brushFor(state().fill);
    QPainterPath shape = withRule(path, rule);
    paint([&](QPainter& p) { p.fillPath(shape, brush); });
}

void GraphicsContext::strokePath(const Path& path) {
    QPen pen = strokePen(&path);
    paint([&](QPainter& p) { p.strokePath(path.painterPath(), pen); });
}

void GraphicsContext::strokePathWithContextSettings(const Path& path) {
    QPen pen = strokePen(nullptr);
    paint([&](QPainter& p) { p.strokePath(path.painterPath(), pen); });
}

void GraphicsContext::strokeLine(Point from, Point to) {
    QPen pen = strokePen(nullptr);
    paint([&](QPainter& p) {
        p.setPen(pen);
        p.drawLine(toQPoint(from), toQPoint(to));
    });
}

void GraphicsContext::clipToRect(const Rect& rect) {
    painter_->setClipRect(toQRect(rect), painter_->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
}

void GraphicsContext::clipToPath(const Path& path, FillRule rule) {
    painter_->setClipPath(withRule(path, rule), painter_->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
}

Rect GraphicsContext::clipBoundingBox() const {
    QRectF device(0, 0, bitmap_.width(), bitmap_.height());
    QRectF user = painter_->worldTransform().inverted().mapRect(device);
    if (painter_->hasClipping()) user = user.intersected(painter_->clipBoundingRect());
    if (user.isEmpty()) return Rect::null();
    return Rect(user.x(), user.y(), user.width(), user.height());
}

void GraphicsContext::drawLinearGradient(const Gradient& gradient, Point start, Point end, unsigned options) {
    double dx = end.x - start.x, dy = end.y - start.y;
    double length = std::hypot(dx, dy);
    if (gradient.stops.empty() || length == 0) return;
    // The drawing system paints the band between the two ends (and beyond
    // them on request) across the whole clip; the band is a polygon here.
    Rect box = clipBoundingBox();
    if (box.isNull()) return;
    double reach =
        std::hypot(box.width(), box.height()) + std::hypot(box.midX() - start.x, box.midY() - start.y) + length + 1;
    double ux = dx / length, uy = dy / length;
    double before = (options & kGradientDrawsBeforeStart) ? -reach : 0.0;
    double after = (options & kGradientDrawsAfterEnd) ? length + reach : length;
    QPointF a(start.x + ux * before, start.y + uy * before);
    QPointF b(start.x + ux * after, start.y + uy * after);
    QPointF across(-uy * reach, ux * reach);
    QPolygonF band({a + across, b + across, b - across, a - across});
    QLinearGradient fill(toQPoint(start), toQPoint(end));
    fill.setStops(toStops(gradient));
    fill.setSpread(QGradient::PadSpread);
    paint([&](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawPolygon(band);
    });
}

void GraphicsContext::drawRadialGradient(const Gradient& gradient, Point startCenter, double startRadius,
                                         Point endCenter, double endRadius, unsigned options) {
    if (gradient.stops.empty()) return;
    QGradientStops stops = toStops(gradient);
    QRadialGradient fill(toQPoint(endCenter), std::max(endRadius, 0.0), toQPoint(startCenter),
                         std::max(startRadius, 0.0));
    fill.setStops(stops);
    fill.setSpread(QGradient::PadSpread);
    QPainterPath area;
    if (options & kGradientDrawsAfterEnd) {
        Rect box = clipBoundingBox();
        if (box.isNull()) return;
        area.addRect(toQRect(box));
    } else {
        area.addEllipse(toQPoint(endCenter), endRadius, endRadius);
    }
    QPainterPath inner;
    if (startRadius > 0) inner.addEllipse(toQPoint(startCenter), startRadius, startRadius);
    if (!inner.isEmpty()) area = area.subtracted(inner);
    QColor first = stops.front().second;
    bool fillInner = (options & kGradientDrawsBeforeStart) && !inner.isEmpty();
    paint([&](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawPath(area);
        if (fillInner) {
            p.setBrush(first);
            p.drawPath(inner);
        }
    });
}

void GraphicsContext::drawImage(const Image& image, const Rect& rect) {
    drawImage(image, rect, state().blendMode, 1.0);
}

void GraphicsContext::drawImage(const Image& image, const Rect& rect, BlendMode mode, double alpha) {
    if (image.isNull()) return;
    const QImage& bitmap = image.bitmap();
    bool swaps = orientationSwapsAxes(image.orientation());
    double uprightWidth = swaps ? bitmap.height() : bitmap.width();
    double uprightHeight = swaps ? bitmap.width() : bitmap.height();
    QTransform placement = orientationTransform(image.orientation(), bitmap.width(), bitmap.height()) *
                           QTransform::fromScale(rect.size.width / uprightWidth, rect.size.height / uprightHeight) *
                           QTransform::fromTranslate(rect.origin.x, rect.origin.y);
    State& s = state();
    BlendMode savedMode = s.blendMode;
    double savedAlpha = s.alpha;
    s.blendMode = mode;
    s.alpha = std::clamp(savedAlpha * alpha, 0.0, 1.0);
    paint([&](QPainter& p) {
        p.setWorldTransform(placement, true);
        p.drawImage(QPointF(0, 0), bitmap);
    });
    s.blendMode = savedMode;
    s.alpha = savedAlpha;
}

void GraphicsContext::drawImage(const Image& image, Point point) { drawImage(image, Rect(point, image.size())); }

void GraphicsContext::drawBitmap(const Image& image, const Rect& rect) {
    if (image.isNull()) return;
    const QImage& bitmap = image.bitmap();
    QTransform placement =
        QTransform::fromScale(rect.size.width / bitmap.width(), -rect.size.height / bitmap.height()) *
        QTransform::fromTranslate(rect.origin.x, rect.origin.y + rect.size.height);
    paint([&](QPainter& p) {
        p.setWorldTransform(placement, true);
        p.drawImage(QPointF(0, 0), bitmap);
    });
}

Size GraphicsContext::drawText(const std::string& text, Point point, const Font& font) {
    auto lines = detail::layoutText(text, font, std::numeric_limits<double>::infinity(), LineBreakMode::Clip);
    return drawLines(lines, font, Rect(point.x, point.y, 0, 0), TextAlignment::Left, false);
}

Size GraphicsContext::drawText(const std::string& text, const Rect& rect, const Font& font, LineBreakMode lineBreakMode,
                               TextAlignment alignment) {
    Rect box = rect.standardized();
    auto lines = detail::layoutText(text, font, box.width(), lineBreakMode);
    double lineHeight = font.lineHeight();
    // Only whole lines that fit are drawn; a box lower than one line still
    // shows the first, so a label never comes out blank.
    size_t fitting = lineHeight > 0 ? static_cast<size_t>(std::floor(box.height() / lineHeight + 1e-9)) : 0;
    if (lines.size() > std::max<size_t>(fitting, 1)) lines.resize(std::max<size_t>(fitting, 1));
    return drawLines(lines, font, box, alignment, lineBreakMode == LineBreakMode::Clip);
}

Size GraphicsContext::drawLines(const std::vector<detail::TextLine>& lines, const Font& font, const Rect& box,
                                TextAlignment alignment, bool clip) {
    bool blank = std::all_of(lines.begin(), lines.end(), [](const detail::TextLine& l) { return l.text.isEmpty(); });
    if (blank) return {};
    QFont qfont = font.qfont();
    QFontMetricsF metrics(qfont, detail::referenceDevice());
    double lineHeight = metrics.ascent() + metrics.descent();
    QPen pen(brushFor(state().fill), 0);
    double widest = 0;
    for (const auto& line : lines) widest = std::max(widest, line.width);
    paint([&](QPainter& p) {
        if (clip) p.setClipRect(toQRect(box), Qt::IntersectClip);
        p.setFont(qfont);
        p.setPen(pen);
        double y = box.origin.y + metrics.ascent();
        for (const auto& line : lines) {
            double x = box.origin.x;
            if (alignment == TextAlignment::Center) x += (box.size.width - line.width) / 2;
            if (alignment == TextAlignment::Right) x += box.size.width - line.width;
            p.drawText(QPointF(x, y), line.text);
            y += lineHeight;
        }
    });
    return {std::ceil(widest - 1e-9), std::ceil(lineHeight * static_cast<double>(lines.size()) - 1e-9)};
}

void GraphicsContext::strokeText(const std::string& text, Point point, const Font& font) {
    detail::requireGuiApplication();
    QFont qfont = font.qfont();
    QFontMetricsF metrics(qfont, detail::referenceDevice());
    // Outlines come at the screen's resolution, not our 72 dpi: shrink them
    // to the size that text is measured and drawn at.
    double ratio = metrics.ascent() / QFontMetricsF(qfont).ascent();
    QPainterPath outline;
    double baseline = 0;
    for (const QString& line : detail::paragraphsOf(QString::fromStdString(text))) {
        outline.addText(QPointF(0, baseline), qfont, line);
        baseline += (metrics.ascent() + metrics.descent()) / ratio;
    }
    outline = (QTransform::fromScale(ratio, ratio) * QTransform::fromTranslate(point.x, point.y + metrics.ascent()))
                  .map(outline);
    QPen pen = strokePen(nullptr);
    paint([&](QPainter& p) { p.strokePath(outline, pen); });
}

Image GraphicsContext::makeImage() const {
    if (empty_) return Image();
    // A deep copy: the painter keeps writing into bitmap_, and a shared
    // QImage would change under the caller's feet.
    return Image(bitmap_.copy(), scale_);
}

}  // namespace graphics
