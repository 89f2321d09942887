#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/HtmlDocument.h"
#include "support/Pictures.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

using namespace graphics;

namespace {

// The words a page draws, joined by single spaces per line, lines in order.
std::vector<std::string> linesOf(const HtmlDocument& page) {
    std::vector<std::pair<double, std::string>> lines;
    for (const HtmlTextRun& run : page.drawnText()) {
        if (run.text.find_first_not_of(' ') == std::string::npos) continue;
        auto line = std::find_if(lines.begin(), lines.end(),
                                 [&](const auto& l) { return std::abs(l.first - run.frame.origin.y) < 1; });
        if (line == lines.end()) {
            lines.emplace_back(run.frame.origin.y, run.text);
        } else {
            line->second += " " + run.text;
        }
    }
    std::sort(lines.begin(), lines.end());
    std::vector<std::string> texts;
    for (auto& l : lines) texts.push_back(l.second);
    return texts;
}

std::vector<std::string> drawPage(const std::string& html, Size size = Size{400, 300}) {
    HtmlDocument page(html, size);
    GraphicsContext context(size);
    page.draw(context);
    return linesOf(page);
}

}  // namespace

TEST(HtmlDocument, TextLinesAsBrowsersShowThem) {
    struct Case {
        const char* html;
        std::vector<std::string> lines;
    } cases[] = {
        {"<body>A</br>B</body>", {"A", "B"}},  // a stray end tag breaks the line too
        {"<body>A<br>B<br/>C</body>", {"A", "B", "C"}},
        {"<body>Tom &amp; Jerry</body>", {"Tom & Jerry"}},
        {"<body>&lt;b&gt;x&lt;/b&gt;</body>", {"<b>x</b>"}},
        {"<body><p>one</p><p>two</p></body>", {"one", "two"}},
        {"<body><div>a <b>b</b> c</div></body>", {"a b c"}},
        {"<head><title>T</title><style>p{display:none}</style></head><body><p>gone</p>kept</body>", {"kept"}},
        {"<body><span style='text-transform:uppercase'>loud</span></body>", {"LOUD"}},
        {"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(drawPage(c.html), c.lines) << c.html;
}

TEST(HtmlDocument, LinesWrapAtTheViewportWidth) {
    auto lines =
        drawPage("<body style='margin:0;font-size:20px'>one two three four five six seven</body>", Size{120, 200});
    EXPECT_GT(lines.size(), 2u);
    HtmlDocument page("<body style='margin:0;font-size:20px'>one two three four five six seven</body>", Size{120, 200});
    GraphicsContext context(Size{120, 200});
    page.draw(context);
    for (const HtmlTextRun& run : page.drawnText()) EXPECT_LE(run.frame.maxX(), 121) << run.text;
    EXPECT_EQ(page.contentSize().width, 120);
}

TEST(HtmlDocument, PaintsOnlyWhatThePageSaysAndStaysTransparentElsewhere) {
    HtmlDocument page(
        "<html><body style='margin:0'>"
        "<div style='position:absolute;left:10px;top:10px;width:50px;height:40px;background-color:#ff0000'></div>"
        "<div style='position:absolute;left:100px;top:10px;width:50px;height:40px;border:5px solid #0000ff'></div>"
        "</body></html>",
        Size{200, 100});
    GraphicsContext context(Size{200, 100});
    page.draw(context);
    Image image = context.makeImage();
    EXPECT_TRUE(testsupport::pixelNear(image.pixelAt(30, 30), {255, 0, 0, 255}));
    EXPECT_EQ(image.pixelAt(5, 5).a, 0);
    EXPECT_EQ(image.pixelAt(180, 90).a, 0);
    EXPECT_TRUE(testsupport::pixelNear(image.pixelAt(102, 30), {0, 0, 255, 255}));  // left border
    EXPECT_EQ(image.pixelAt(130, 30).a, 0);                                         // inside the border
}

TEST(HtmlDocument, ReferencesGoThroughTheResolverAlone) {
    Image red = Image::filled(8, 6, {255, 0, 0, 255});
    std::string path = testsupport::writeTestFile("dot.png", red.pngData().value());
    std::string folder = std::filesystem::path(path).parent_path().string();
    std::vector<std::pair<std::string, std::string>> asked;
    HtmlResourceResolver resolver = [&](const std::string& reference,
                                        const std::string& base) -> std::optional<std::string> {
        asked.emplace_back(reference, base);
        if (reference == "dot.png") return folder + "/dot.png";
        if (reference == "missing.png") return folder + "/missing.png";
        return std::nullopt;
    };
    HtmlDocument page(
        "<body style='margin:0'><img src='dot.png' width='40' height='30'>"
        "<img src='http://example.invalid/x.png'><img src='missing.png'></body>",
        Size{200, 100}, "file:///base/", resolver);
    GraphicsContext context(Size{200, 100});
    page.draw(context);
    Image image = context.makeImage();
    EXPECT_TRUE(testsupport::pixelNear(image.pixelAt(20, 15), {255, 0, 0, 255}));
    EXPECT_EQ(page.unresolvedReferences(), (std::vector<std::string>{"http://example.invalid/x.png", "missing.png"}));
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.front().second, "file:///base/");
}

TEST(HtmlDocument, FacesMapToDejaVu) {
    // Monospace gives every letter one width; the sans face does not.
    auto width = [](const std::string& family, const std::string& text) {
        HtmlDocument page("<body style=\"font-family:" + family + ";font-size:30px\">" + text + "</body>",
                          Size{800, 100});
        GraphicsContext context(Size{800, 100});
        page.draw(context);
        return page.drawnText().at(0).frame.size.width;
    };
    EXPECT_EQ(width("monospace", "iiii"), width("monospace", "MMMM"));
    EXPECT_EQ(width("'Courier New', monospace", "iiii"), width("monospace", "iiii"));
    EXPECT_LT(width("sans-serif", "iiii"), width("sans-serif", "MMMM"));
    EXPECT_EQ(width("Nonexistent Face", "Movie"), width("sans-serif", "Movie"));
    EXPECT_NE(width("serif", "Movie"), width("sans-serif", "Movie"));
}

TEST(HtmlDocument, TitleComesFromTheHead) {
    HtmlDocument page("<html><head><title>Card</title></head><body>x</body></html>", Size{100, 100});
    EXPECT_EQ(page.title(), "Card");
}

TEST(HtmlDocument, MarkupNestedTooDeeplyIsNotRead) {
    auto repeated = [](const std::string& piece, size_t times) {
        std::string text;
        for (size_t i = 0; i < times; ++i) text += piece;
        return text;
    };
    struct Case {
        std::string html;
        bool refused;
    } cases[] = {
        {repeated("<div>", 900) + "x", false},
        {repeated("<div>", 1001) + "x", true},
        {repeated("<DIV class='a'>", 100000) + "x", true},
        {repeated("<div>a</div>", 5000), false},  // closed again: flat
        {repeated("<p>a", 5000), false},          // each p closes the one before
        {repeated("<li>a<br>", 5000), false},
        {repeated("<div/>", 5000), false},
        {repeated("a < b ", 5000), false},  // no tags at all
    };
    for (const Case& c : cases) {
        HtmlDocument page(c.html, Size{200, 100});
        EXPECT_EQ(page.isTooDeep(), c.refused) << c.html.substr(0, 40);
        GraphicsContext context(Size{200, 100});
        page.draw(context);
        if (c.refused) {
            EXPECT_TRUE(page.drawnText().empty());
        }
    }
}
