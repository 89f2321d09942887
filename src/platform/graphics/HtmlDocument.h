#pragma once

// An HTML page laid out by litehtml and drawn through a GraphicsContext: our
// own document container measures and draws text in the DejaVu faces, paints
// backgrounds, borders and pictures, and takes every outside reference
// (pictures, style sheets) through a resolver that decides which local file,
// if any, a reference may read. The page's own style sheets sit on our master
// style sheet, which gives the elements their usual display, margins and
// faces; `br` breaks a line there, and the parser reads a stray "</br>" as
// `<br>`, as browsers do.
//
// One pixel of the page is one point of the context. Nothing is painted
// where the page paints nothing, so a page without a background lies
// transparent over whatever is below it.

#include "platform/graphics/Geometry.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace graphics {

class GraphicsContext;

// The local file a reference stands for, as written in the page and with the
// page's base URL; none to refuse it.
using HtmlResourceResolver =
    std::function<std::optional<std::string>(const std::string& reference, const std::string& baseURL)>;

// A piece of text as drawn: a word or a run of spaces, with its box in page
// coordinates.
struct HtmlTextRun {
    std::string text;
    Rect frame;
};

class HtmlDocument {
public:
    // Deeper markup is not read at all: parser and layout recurse once per level.
    static constexpr size_t kMaximumNesting = 1000;

    // Parses UTF-8 HTML and lays it out at the viewport's width. Faulty
    // markup is repaired as browsers do; markup nested deeper than
    // kMaximumNesting gives an empty page (see isTooDeep).
    HtmlDocument(const std::string& html, Size viewport, const std::string& baseURL = {},
                 HtmlResourceResolver resolver = {});
    ~HtmlDocument();
    HtmlDocument(const HtmlDocument&) = delete;
    HtmlDocument& operator=(const HtmlDocument&) = delete;

    Size viewport() const;
    // The laid-out page's size (at least as wide as the viewport's width).
    Size contentSize() const;
    // The page's <title>, empty when it has none.
    const std::string& title() const;
    // Whether the markup was refused for nesting too deeply.
    bool isTooDeep() const;

    // Draws the page with its top left at the context's origin.
    void draw(GraphicsContext& context);

    // The text the last draw put down, in drawing order.
    const std::vector<HtmlTextRun>& drawnText() const;
    // References that the resolver refused or whose file could not be read,
    // in the order first asked for.
    const std::vector<std::string>& unresolvedReferences() const;

    // The master style sheet under every page.
    static const char* masterStyleSheet();

private:
    class Container;
    std::unique_ptr<Container> container_;
};

}  // namespace graphics
