#include "platform/graphics/Font.h"

#include "platform/graphics/TextLayout.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <mutex>
#include <stdexcept>
#include <unordered_map>

namespace graphics {

namespace detail {

namespace {

constexpr const char* kDejaVuFolder = "/usr/share/fonts/truetype/dejavu/";

}  // namespace

QPaintDevice* referenceDevice() {
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        image.setDotsPerMeterX(kDotsPerMeterAt72Dpi);
        image.setDotsPerMeterY(kDotsPerMeterAt72Dpi);
        return image;
    }();
    return &device;
}

void requireGuiApplication() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw std::logic_error("Text needs a QGuiApplication; call graphics::ensureGuiApplication() first.");
    // Loaded from the file itself so the face is the same whatever the
    // machine's font configuration prefers for the name.
    static std::once_flag once;
    std::call_once(once, [] {
        for (const char* file : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf"})
            QFontDatabase::addApplicationFont(QString::fromLatin1(kDejaVuFolder) + QString::fromLatin1(file));
    });
}

QStringList paragraphsOf(const QString& text) {
    QString unified = text;
    unified.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    unified.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return unified.split(QLatin1Char('\n'));
}

std::vector<TextLine> layoutText(const std::string& text, const Font& font, double maxWidth, LineBreakMode mode) {
    requireGuiApplication();
    QFont qfont = font.qfont();
    QFontMetricsF metrics(qfont, referenceDevice());
    bool wraps = mode == LineBreakMode::WordWrap || mode == LineBreakMode::CharWrap;
    double limit = std::isfinite(maxWidth) && maxWidth > 0 ? maxWidth : 1e9;
    std::vector<TextLine> lines;
    const QStringList paragraphs = paragraphsOf(QString::fromStdString(text));
    for (const QString& paragraph : paragraphs) {
        if (paragraph.isEmpty()) {
            lines.push_back({});
            continue;
        }
        if (!wraps) {
            double width = metrics.horizontalAdvance(paragraph);
            if (width <= limit) {
                lines.push_back({paragraph, width});
                continue;
            }
            if (mode == LineBreakMode::Clip) {
                lines.push_back({paragraph, limit});
                continue;
            }
            Qt::TextElideMode elide = mode == LineBreakMode::TruncateHead     ? Qt::ElideLeft
                                      : mode == LineBreakMode::TruncateMiddle ? Qt::ElideMiddle
                                                                              : Qt::ElideRight;
            QString shortened = metrics.elidedText(paragraph, elide, limit);
            lines.push_back({shortened, metrics.horizontalAdvance(shortened)});
            continue;
        }
        QTextLayout layout(paragraph, qfont, referenceDevice());
        QTextOption option;
        // Word wrap still breaks a word that is wider than the whole line.
        option.setWrapMode(mode == LineBreakMode::CharWrap ? QTextOption::WrapAnywhere
                                                           : QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(limit);
            QString part = paragraph.mid(line.textStart(), line.textLength());
            // Spaces at a break are not drawn and do not count.
            while (!part.isEmpty() && part.back().isSpace()) part.chop(1);
            lines.push_back({part, std::min(metrics.horizontalAdvance(part), limit)});
        }
        layout.endLayout();
    }
    return lines;
}

}  // namespace detail

namespace {

// Unknown faces (the platform's own names) fall back to the default face
// rather than to whatever fontconfig would pick on this machine. Asking the
// font database is slow, and the same few names come again and again.
QString resolvedFamily(const std::string& family) {
    static std::mutex mutex;
    static std::unordered_map<std::string, QString> resolved;
    std::lock_guard lock(mutex);
    auto found = resolved.find(family);
    if (found != resolved.end()) return found->second;
    QString name = QString::fromStdString(family);
    if (name.isEmpty() || !QFontDatabase::hasFamily(name)) name = QString::fromLatin1(kDefaultFontFamily);
    resolved.emplace(family, name);
    return name;
}

}  // namespace

Font::Font(std::string family, double pointSize, bool bold)
    : family_(std::move(family)), pointSize_(pointSize), bold_(bold) {}

QFont Font::qfont() const {
    detail::requireGuiApplication();
    QFont font(resolvedFamily(family_));
    font.setPointSizeF(pointSize_ > 0 ? pointSize_ : 17.0);
    font.setBold(bold_);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

double Font::ascender() const { return QFontMetricsF(qfont(), detail::referenceDevice()).ascent(); }

double Font::descender() const { return -QFontMetricsF(qfont(), detail::referenceDevice()).descent(); }

double Font::lineHeight() const {
    QFontMetricsF metrics(qfont(), detail::referenceDevice());
    return metrics.ascent() + metrics.descent();
}

double Font::widthOfText(const std::string& text) const {
    return QFontMetricsF(qfont(), detail::referenceDevice()).horizontalAdvance(QString::fromStdString(text));
}

Size Font::sizeOfText(const std::string& text, double maxWidth, LineBreakMode lineBreakMode) const {
    if (text.empty()) return {};
    auto lines = detail::layoutText(text, *this, maxWidth, lineBreakMode);
    double width = 0;
    for (const auto& line : lines) width = std::max(width, line.width);
    double height = lineHeight() * static_cast<double>(lines.size());
    return {std::ceil(width - 1e-9), std::ceil(height - 1e-9)};
}

}  // namespace graphics
