// Theme cards: an HTML card template (a resource, or one a theme brings)
// filled with the user's texts, laid out by litehtml through our document
// container at the card's size and drawn, references resolved as the web
// view resolves them. The input is the template, then a line "----", then
// one text per line for the template's keys in order.

#include "FuzzTarget.h"

#include "app/render/DynamicPageReplacer.h"
#include "app/render/themes/WebRenderer.h"
#include "platform/foundation/Bundle.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/graphics/HtmlDocument.h"
#include "platform/ui/web/WebView.h"

TOLLIVAR_FUZZ_TARGET(html_card) {
    static const std::string baseURL = [] {
        graphics::ensureGuiApplication();
        return "file://" + foundation::Bundle::main().resourcePath() + "/";
    }();
    auto [page, texts] = fuzzing::splitAt(fuzzing::text(data, size), "\n----\n");
    foundation::Dictionary replacements;
    for (const std::string& key : DynamicPageReplacer::templateKeys()) {
        if (texts.empty()) break;
        auto [line, rest] = fuzzing::splitAt(texts, "\n");
        replacements.set(key, foundation::Value(std::string(line)));
        texts = rest;
    }
    const std::string filled = DynamicPageReplacer::fillPage(std::string(page), replacements);
    graphics::HtmlDocument document(filled, WebRenderer::kCardSize, baseURL, &ui::WebView::resolveResource);
    // A quarter of the card's pixels: the layout is the card's, drawing cheaper.
    graphics::GraphicsContext context(WebRenderer::kCardSize, 0.25);
    document.draw(context);
    return 0;
}
