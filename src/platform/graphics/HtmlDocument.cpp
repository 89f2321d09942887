#include "platform/graphics/HtmlDocument.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/TextLayout.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <litehtml/litehtml.h>
#include <map>
#include <mutex>

namespace graphics {

namespace {

constexpr const char* kDejaVuFolder = "/usr/share/fonts/truetype/dejavu/";
constexpr const char* kSansFamily = "DejaVu Sans";
constexpr const char* kSerifFamily = "DejaVu Serif";
constexpr const char* kMonoFamily = "DejaVu Sans Mono";
constexpr int kDefaultFontSize = 16;

// The serif and monospace faces beside the sans faces that text measurement
// registers, loaded from their files so every machine draws the same glyphs.
void registerPageFaces() {
    detail::requireGuiApplication();
    static std::once_flag once;
    std::call_once(once, [] {
        for (const char* file :
             {"DejaVuSerif.ttf", "DejaVuSerif-Bold.ttf", "DejaVuSansMono.ttf", "DejaVuSansMono-Bold.ttf"})
            QFontDatabase::addApplicationFont(QString::fromLatin1(kDejaVuFolder) + QString::fromLatin1(file));
    });
}

// The DejaVu face for a CSS font-family list: the first entry that names a
// generic family or a face we know, else the sans face.
QString faceForFamilies(const std::string& families) {
    QStringList entries = QString::fromStdString(families).split(QLatin1Char(','));
    for (QString entry : entries) {
        entry = entry.trimmed();
        if (entry.size() >= 2 && (entry.front() == QLatin1Char('"') || entry.front() == QLatin1Char('\'')))
            entry = entry.mid(1, entry.size() - 2).trimmed();
        QString name = entry.toLower();
        if (name == QLatin1String("dejavu serif") || name == QLatin1String("serif") ||
            name.contains(QLatin1String("times")) || name == QLatin1String("georgia") ||
            name == QLatin1String("palatino"))
            return QString::fromLatin1(kSerifFamily);
        if (name == QLatin1String("dejavu sans mono") || name == QLatin1String("monospace") ||
            name.contains(QLatin1String("courier")) || name == QLatin1String("menlo"))
            return QString::fromLatin1(kMonoFamily);
        if (name == QLatin1String("dejavu sans") || name == QLatin1String("sans-serif") ||
            name == QLatin1String("helvetica") || name == QLatin1String("arial") ||
            name.startsWith(QLatin1String("helveticaneue")) || name == QLatin1String("verdana"))
            return QString::fromLatin1(kSansFamily);
    }
    return QString::fromLatin1(kSansFamily);
}

QColor toQColor(const litehtml::web_color& color) { return QColor(color.red, color.green, color.blue, color.alpha); }

QRectF toRect(const litehtml::position& pos) { return QRectF(pos.x, pos.y, pos.width, pos.height); }

QPainterPath roundedPath(const litehtml::position& pos, const litehtml::border_radiuses& r) {
    QPainterPath path;
    QRectF box = toRect(pos);
    if (r.top_left_x <= 0 && r.top_right_x <= 0 && r.bottom_left_x <= 0 && r.bottom_right_x <= 0) {
        path.addRect(box);
        return path;
    }
    auto corner = [](int x, int y) { return QSizeF(std::max(x, 0), std::max(y, 0)); };
    QSizeF tl = corner(r.top_left_x, r.top_left_y), tr = corner(r.top_right_x, r.top_right_y);
    QSizeF br = corner(r.bottom_right_x, r.bottom_right_y), bl = corner(r.bottom_left_x, r.bottom_left_y);
    path.moveTo(box.left() + tl.width(), box.top());
    path.lineTo(box.right() - tr.width(), box.top());
    path.arcTo(QRectF(box.right() - 2 * tr.width(), box.top(), 2 * tr.width(), 2 * tr.height()), 90, -90);
    path.lineTo(box.right(), box.bottom() - br.height());
    path.arcTo(QRectF(box.right() - 2 * br.width(), box.bottom() - 2 * br.height(), 2 * br.width(), 2 * br.height()), 0,
               -90);
    path.lineTo(box.left() + bl.width(), box.bottom());
    path.arcTo(QRectF(box.left(), box.bottom() - 2 * bl.height(), 2 * bl.width(), 2 * bl.height()), 270, -90);
    path.lineTo(box.left(), box.top() + tl.height());
    path.arcTo(QRectF(box.left(), box.top(), 2 * tl.width(), 2 * tl.height()), 180, -90);
    path.closeSubpath();
    return path;
}

// How deep the markup nests, counted conservatively from its tags: every
// start tag that is not void, self-closed or one that the next of its kind
// closes (p, li, table cells and rows, ...) goes one level down, every end
// tag one up. Parser and layout recurse once per level.
size_t nestingDepth(std::string_view html) {
    static const std::vector<std::string_view> flat = {
        "area",   "base",  "br",  "col", "embed", "hr", "img", "input", "link", "meta", "param",
        "source", "track", "wbr", "p",   "li",    "dt", "dd",  "tr",    "td",   "th",   "option"};
    size_t depth = 0, deepest = 0;
    for (size_t at = html.find('<'); at != std::string_view::npos; at = html.find('<', at + 1)) {
        bool closing = at + 1 < html.size() && html[at + 1] == '/';
        size_t nameStart = at + (closing ? 2 : 1);
        size_t nameEnd = nameStart;
        while (nameEnd < html.size() && std::isalnum(static_cast<unsigned char>(html[nameEnd]))) ++nameEnd;
        if (nameEnd == nameStart) continue;  // not a tag: "<" in text, a comment, a doctype
        std::string name(html.substr(nameStart, nameEnd - nameStart));
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        if (std::find(flat.begin(), flat.end(), name) != flat.end()) continue;
        size_t tagEnd = html.find('>', nameEnd);
        if (closing) {
            if (depth > 0) --depth;
        } else if (tagEnd == std::string_view::npos || html[tagEnd - 1] != '/') {
            deepest = std::max(deepest, ++depth);
        }
    }
    return deepest;
}

litehtml::context& sharedContext() {
    static litehtml::context context;
    static std::once_flag once;
    std::call_once(once, [] { context.load_master_stylesheet(HtmlDocument::masterStyleSheet()); });
    return context;
}

}  // namespace

class HtmlDocument::Container final : public litehtml::document_container {
public:
    Container(Size viewport, std::string baseURL, HtmlResourceResolver resolver)
        : viewport_(viewport), baseURL_(std::move(baseURL)), resolver_(std::move(resolver)) {
        registerPageFaces();
    }

    void load(const std::string& html) {
        if (nestingDepth(html) > HtmlDocument::kMaximumNesting) {
            tooDeep_ = true;
            return;
        }
        document_ = litehtml::document::createFromUTF8(html.c_str(), this, &sharedContext());
        if (document_) document_->render(static_cast<int>(std::lround(viewport_.width)));
    }

    Size viewport() const { return viewport_; }
    Size contentSize() const {
        if (!document_) return {};
        return Size{std::max<double>(document_->width(), viewport_.width), static_cast<double>(document_->height())};
    }
    const std::string& title() const { return title_; }
    bool tooDeep() const { return tooDeep_; }
    const std::vector<HtmlTextRun>& drawnText() const { return drawnText_; }
    const std::vector<std::string>& unresolved() const { return unresolved_; }

    void draw(GraphicsContext& context) {
        drawnText_.clear();
        if (!document_) return;
        QPainter& painter = context.painter();
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        litehtml::position clip(0, 0, static_cast<int>(std::ceil(viewport_.width)),
                                static_cast<int>(std::ceil(viewport_.height)));
        document_->draw(reinterpret_cast<litehtml::uint_ptr>(&painter), 0, 0, &clip);
        painter.restore();
        clips_.clear();
    }

    // Fonts.
    litehtml::uint_ptr create_font(const litehtml::tchar_t* faceName, int size, int weight, litehtml::font_style,
                                   unsigned int decoration, litehtml::font_metrics* fm) override {
        QFont font(faceForFamilies(faceName ? faceName : ""));
        font.setPixelSize(std::max(size, 1));
        // The faces every machine has are upright Book and Bold: weights snap
        // to them and italic text stays upright, so pages draw alike everywhere.
        font.setWeight(weight >= 600 ? QFont::Bold : QFont::Normal);
        font.setUnderline(decoration & litehtml::font_decoration_underline);
        font.setStrikeOut(decoration & litehtml::font_decoration_linethrough);
        font.setOverline(decoration & litehtml::font_decoration_overline);
        font.setKerning(true);
        QFontMetricsF metrics(font, detail::referenceDevice());
        if (fm) {
            fm->ascent = static_cast<int>(std::lround(metrics.ascent()));
            fm->descent = static_cast<int>(std::lround(metrics.descent()));
            fm->height = fm->ascent + fm->descent;
            fm->x_height = static_cast<int>(std::lround(metrics.xHeight()));
            fm->draw_spaces = decoration != 0;
        }
        fonts_.push_back({font, static_cast<int>(std::lround(metrics.descent()))});
        return fonts_.size();
    }
    void delete_font(litehtml::uint_ptr) override {}  // fonts live as long as the page

    int text_width(const litehtml::tchar_t* text, litehtml::uint_ptr hFont) override {
        const FontEntry* entry = font(hFont);
        if (!entry || !text) return 0;
        QFontMetricsF metrics(entry->font, detail::referenceDevice());
        return static_cast<int>(std::ceil(metrics.horizontalAdvance(QString::fromUtf8(text))));
    }

    void draw_text(litehtml::uint_ptr hdc, const litehtml::tchar_t* text, litehtml::uint_ptr hFont,
                   litehtml::web_color color, const litehtml::position& pos) override {
        const FontEntry* entry = font(hFont);
        if (!entry || !text) return;
        drawnText_.push_back({text, Rect(pos.x, pos.y, pos.width, pos.height)});
        QPainter& painter = *reinterpret_cast<QPainter*>(hdc);
        painter.save();
        applyClip(painter);
        painter.setFont(entry->font);
        painter.setPen(toQColor(color));
        painter.drawText(QPointF(pos.x, pos.y + pos.height - entry->descent), QString::fromUtf8(text));
        painter.restore();
    }

    int pt_to_px(int pt) const override { return static_cast<int>(std::lround(pt * 96.0 / 72.0)); }
    int get_default_font_size() const override { return kDefaultFontSize; }
    const litehtml::tchar_t* get_default_font_name() const override { return kSansFamily; }

    void draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) override {
        QPainter& painter = *reinterpret_cast<QPainter*>(hdc);
        painter.save();
        applyClip(painter);
        QRectF box = toRect(marker.pos);
        QColor color = toQColor(marker.color);
        switch (marker.marker_type) {
            case litehtml::list_style_type_circle:
                painter.setPen(QPen(color, 1));
                painter.setBrush(Qt::NoBrush);
                painter.drawEllipse(box);
                break;
            case litehtml::list_style_type_square:
                painter.fillRect(box, color);
                break;
            case litehtml::list_style_type_none:
                break;
            default:
                painter.setPen(Qt::NoPen);
                painter.setBrush(color);
                painter.drawEllipse(box);
                break;
        }
        painter.restore();
    }

    // Pictures.
    void load_image(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl, bool) override {
        picture(src ? src : "", baseurl ? baseurl : "");
    }
    void get_image_size(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl, litehtml::size& sz) override {
        const Image* image = picture(src ? src : "", baseurl ? baseurl : "");
        sz.width = image ? image->pixelWidth() : 0;
        sz.height = image ? image->pixelHeight() : 0;
    }

    void draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) override {
        QPainter& painter = *reinterpret_cast<QPainter*>(hdc);
        painter.save();
        applyClip(painter);
        QPainterPath area = roundedPath(bg.clip_box, bg.border_radius);
        painter.setClipPath(area, Qt::IntersectClip);
        if (bg.color.alpha > 0) painter.fillPath(area, toQColor(bg.color));
        const Image* image = bg.image.empty() ? nullptr : picture(bg.image, bg.baseurl);
        if (image && bg.image_size.width > 0 && bg.image_size.height > 0) {
            QImage bitmap = image->normalized().bitmap();
            QRectF tile(bg.position_x, bg.position_y, bg.image_size.width, bg.image_size.height);
            QRectF clip = toRect(bg.clip_box);
            bool repeatX =
                bg.repeat == litehtml::background_repeat_repeat || bg.repeat == litehtml::background_repeat_repeat_x;
            bool repeatY =
                bg.repeat == litehtml::background_repeat_repeat || bg.repeat == litehtml::background_repeat_repeat_y;
            double startX = tile.x(), startY = tile.y();
            if (repeatX) startX -= std::ceil((startX - clip.left()) / tile.width()) * tile.width();
            if (repeatY) startY -= std::ceil((startY - clip.top()) / tile.height()) * tile.height();
            for (double y = startY; y < clip.bottom(); y += tile.height()) {
                for (double x = startX; x < clip.right(); x += tile.width()) {
                    painter.drawImage(QRectF(x, y, tile.width(), tile.height()), bitmap);
                    if (!repeatX) break;
                }
                if (!repeatY) break;
            }
        }
        painter.restore();
    }

    void draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders, const litehtml::position& pos,
                      bool) override {
        QPainter& painter = *reinterpret_cast<QPainter*>(hdc);
        painter.save();
        applyClip(painter);
        auto visible = [](const litehtml::border& b) {
            return b.width > 0 && b.style != litehtml::border_style_none && b.style != litehtml::border_style_hidden;
        };
        // The outer edge less the inner edge, side by side, so that corners
        // meet and rounded boxes stay rounded.
        litehtml::position inner = pos;
        inner.x += visible(borders.left) ? borders.left.width : 0;
        inner.y += visible(borders.top) ? borders.top.width : 0;
        inner.width -=
            (visible(borders.left) ? borders.left.width : 0) + (visible(borders.right) ? borders.right.width : 0);
        inner.height -=
            (visible(borders.top) ? borders.top.width : 0) + (visible(borders.bottom) ? borders.bottom.width : 0);
        QPainterPath ring = roundedPath(pos, borders.radius).subtracted(roundedPath(inner, borders.radius));
        QRectF box = toRect(pos);
        QPointF centre = box.center();
        struct Side {
            const litehtml::border& border;
            QPolygonF wedge;
        };
        const Side sides[] = {
            {borders.top, QPolygonF({box.topLeft(), box.topRight(), centre})},
            {borders.right, QPolygonF({box.topRight(), box.bottomRight(), centre})},
            {borders.bottom, QPolygonF({box.bottomRight(), box.bottomLeft(), centre})},
            {borders.left, QPolygonF({box.bottomLeft(), box.topLeft(), centre})},
        };
        for (const Side& side : sides) {
            if (!visible(side.border)) continue;
            QPainterPath wedge;
            wedge.addPolygon(side.wedge);
            painter.fillPath(ring.intersected(wedge), toQColor(side.border.color));
        }
        painter.restore();
    }

    void set_caption(const litehtml::tchar_t* caption) override { title_ = caption ? caption : ""; }
    void set_base_url(const litehtml::tchar_t* base_url) override {
        if (base_url && *base_url) baseURL_ = base_url;
    }
    void link(const std::shared_ptr<litehtml::document>&, const litehtml::element::ptr&) override {}
    void on_anchor_click(const litehtml::tchar_t*, const litehtml::element::ptr&) override {}
    void set_cursor(const litehtml::tchar_t*) override {}

    void transform_text(litehtml::tstring& text, litehtml::text_transform tt) override {
        QString value = QString::fromStdString(text);
        switch (tt) {
            case litehtml::text_transform_uppercase:
                value = value.toUpper();
                break;
            case litehtml::text_transform_lowercase:
                value = value.toLower();
                break;
            case litehtml::text_transform_capitalize:
                if (!value.isEmpty()) value[0] = value[0].toUpper();
                break;
            default:
                break;
        }
        text = value.toStdString();
    }

    void import_css(litehtml::tstring& text, const litehtml::tstring& url, litehtml::tstring& baseurl) override {
        text.clear();
        std::optional<std::string> path = resolve(url, baseurl.empty() ? baseURL_ : baseurl);
        if (!path) return;
        QFile file(QString::fromStdString(*path));
        if (!file.open(QIODevice::ReadOnly)) {
            noteUnresolved(url);
            return;
        }
        text = file.readAll().toStdString();
    }

    void set_clip(const litehtml::position& pos, const litehtml::border_radiuses&, bool, bool) override {
        clips_.push_back(toRect(pos));
    }
    void del_clip() override {
        if (!clips_.empty()) clips_.pop_back();
    }

    void get_client_rect(litehtml::position& client) const override {
        client = litehtml::position(0, 0, static_cast<int>(std::lround(viewport_.width)),
                                    static_cast<int>(std::lround(viewport_.height)));
    }
    std::shared_ptr<litehtml::element> create_element(const litehtml::tchar_t*, const litehtml::string_map&,
                                                      const std::shared_ptr<litehtml::document>&) override {
        return nullptr;  // the parser's own elements
    }
    void get_media_features(litehtml::media_features& media) const override {
        media.type = litehtml::media_type_screen;
        media.width = media.device_width = static_cast<int>(std::lround(viewport_.width));
        media.height = media.device_height = static_cast<int>(std::lround(viewport_.height));
        media.color = 8;
        media.monochrome = 0;
        media.color_index = 256;
        media.resolution = 96;
    }
    void get_language(litehtml::tstring& language, litehtml::tstring& culture) const override {
        language = "en";
        culture.clear();
    }

private:
    struct FontEntry {
        QFont font;
        int descent = 0;
    };

    const FontEntry* font(litehtml::uint_ptr handle) const {
        return handle >= 1 && handle <= fonts_.size() ? &fonts_[handle - 1] : nullptr;
    }

    void applyClip(QPainter& painter) const {
        for (const QRectF& clip : clips_) painter.setClipRect(clip, Qt::IntersectClip);
    }

    void noteUnresolved(const std::string& reference) {
        if (std::find(unresolved_.begin(), unresolved_.end(), reference) == unresolved_.end())
            unresolved_.push_back(reference);
    }

    std::optional<std::string> resolve(const std::string& reference, const std::string& baseURL) {
        std::optional<std::string> path;
        if (resolver_ && !reference.empty()) path = resolver_(reference, baseURL);
        if (!path) noteUnresolved(reference);
        return path;
    }

    // The picture of a reference, loaded once; null when refused or unreadable.
    const Image* picture(const std::string& reference, const std::string& baseURL) {
        auto found = pictures_.find(reference);
        if (found != pictures_.end()) return found->second.isNull() ? nullptr : &found->second;
        Image image;
        if (std::optional<std::string> path = resolve(reference, baseURL.empty() ? baseURL_ : baseURL)) {
            auto loaded = Image::load(*path);
            if (loaded.ok())
                image = std::move(loaded.value());
            else
                noteUnresolved(reference);
        }
        const Image& stored = pictures_.emplace(reference, std::move(image)).first->second;
        return stored.isNull() ? nullptr : &stored;
    }

    Size viewport_;
    std::string baseURL_;
    HtmlResourceResolver resolver_;
    std::shared_ptr<litehtml::document> document_;
    std::vector<FontEntry> fonts_;
    std::map<std::string, Image> pictures_;
    std::vector<QRectF> clips_;
    std::vector<HtmlTextRun> drawnText_;
    std::vector<std::string> unresolved_;
    std::string title_;
    bool tooDeep_ = false;
};

HtmlDocument::HtmlDocument(const std::string& html, Size viewport, const std::string& baseURL,
                           HtmlResourceResolver resolver)
    : container_(std::make_unique<Container>(viewport, baseURL, std::move(resolver))) {
    container_->load(html);
}

HtmlDocument::~HtmlDocument() = default;

Size HtmlDocument::viewport() const { return container_->viewport(); }
Size HtmlDocument::contentSize() const { return container_->contentSize(); }
const std::string& HtmlDocument::title() const { return container_->title(); }
bool HtmlDocument::isTooDeep() const { return container_->tooDeep(); }
void HtmlDocument::draw(GraphicsContext& context) { container_->draw(context); }
const std::vector<HtmlTextRun>& HtmlDocument::drawnText() const { return container_->drawnText(); }
const std::vector<std::string>& HtmlDocument::unresolvedReferences() const { return container_->unresolved(); }

}  // namespace graphics
