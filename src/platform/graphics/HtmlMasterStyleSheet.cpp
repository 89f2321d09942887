#include "platform/graphics/HtmlDocument.h"

namespace graphics {

// What a page looks like before its own style sheets: block elements, the
// usual margins and heading sizes, bold and underline where the element says
// so, tables as tables, and nothing shown from the head.
const char* HtmlDocument::masterStyleSheet() {
    return R"css(
html { display: block; height: 100%; width: 100%; position: relative; }
head, style, script, title, meta, link, base, template { display: none; }
body { display: block; margin: 8px; height: 100%; width: 100%; }
div, p, header, footer, section, article, aside, nav, main, figure, figcaption, address, center,
blockquote, pre, form, fieldset, dl, dt, dd, hr, h1, h2, h3, h4, h5, h6, ul, ol, menu, dir { display: block; }
li { display: list-item; }
ul, menu, dir { list-style-type: disc; margin-top: 1em; margin-bottom: 1em; padding-left: 40px; }
ol { list-style-type: decimal; margin-top: 1em; margin-bottom: 1em; padding-left: 40px; }
p, blockquote, dl, pre { margin-top: 1em; margin-bottom: 1em; }
blockquote { margin-left: 40px; margin-right: 40px; }
dd { margin-left: 40px; }
h1 { font-size: 2em; margin-top: 0.67em; margin-bottom: 0.67em; font-weight: bold; }
h2 { font-size: 1.5em; margin-top: 0.83em; margin-bottom: 0.83em; font-weight: bold; }
h3 { font-size: 1.17em; margin-top: 1em; margin-bottom: 1em; font-weight: bold; }
h4 { margin-top: 1.33em; margin-bottom: 1.33em; font-weight: bold; }
h5 { font-size: 0.83em; margin-top: 1.67em; margin-bottom: 1.67em; font-weight: bold; }
h6 { font-size: 0.67em; margin-top: 2.33em; margin-bottom: 2.33em; font-weight: bold; }
hr { border-style: solid; border-width: 1px; border-color: #808080; margin-top: 0.5em; margin-bottom: 0.5em; }
b, strong, th { font-weight: bold; }
i, em, cite, var, dfn { font-style: italic; }
u, ins { text-decoration: underline; }
s, strike, del { text-decoration: line-through; }
pre, code, tt, kbd, samp { font-family: monospace; }
pre { white-space: pre; }
small { font-size: smaller; }
big { font-size: larger; }
sub { vertical-align: sub; font-size: smaller; }
sup { vertical-align: super; font-size: smaller; }
center { text-align: center; }
a:link { color: #0000ee; text-decoration: underline; }
img { display: inline-block; }
span, a, font, label, abbr, acronym, q { display: inline; }
br { display: block; }
table { display: table; border-collapse: separate; border-spacing: 2px; }
thead { display: table-header-group; }
tbody { display: table-row-group; }
tfoot { display: table-footer-group; }
tr { display: table-row; }
td, th { display: table-cell; padding: 1px; vertical-align: middle; }
caption { display: table-caption; text-align: center; }
)css";
}

}  // namespace graphics
