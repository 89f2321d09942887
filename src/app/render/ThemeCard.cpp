#include "app/render/ThemeCard.h"

#include "app/core/BundleImage.h"
#include "app/core/UIImage_Resize.h"
#include "app/render/DynamicPageReplacer.h"
#include "app/render/OutlineTexts.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Localized.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/HtmlDocument.h"
#include "platform/ui/web/WebView.h"

std::string ThemeCard::backgroundImageName(int64_t theme) { return foundation::format("theme_bg_%.2d.jpg", {theme}); }

std::string ThemeCard::titleTemplateName(int64_t theme) { return foundation::format("theme_title_%.2d.html", {theme}); }

std::string ThemeCard::creditsTemplateName(int64_t theme) {
    return foundation::format("theme_credits_%.2d.html", {theme});
}

std::string ThemeCard::textCardTemplateName(int64_t theme) {
    return theme >= 20 ? std::string("theme_card_20.html") : titleTemplateName(theme);
}

foundation::Dictionary ThemeCard::replacementDictionary(const foundation::Dictionary& outline) {
    foundation::Dictionary replacements = outline.copy();
    bool outlineAround = false;
    for (const auto& [key, value] : outline)
        if (key != outlinekeys::kMovieName && value.isString()) outlineAround = true;
    if (outlineAround)
        for (const std::string& word : DynamicPageReplacer::fixedWords())
            replacements.set(word, foundation::localized(word));
    return replacements;
}

std::optional<ThemeCard> ThemeCard::ofFrame(ProjectModel& project, const Frame& card) {
    std::optional<foundation::Dictionary> meta = project.getMetaData();
    const foundation::Value stored = meta ? meta->get(outlinekeys::kOutlineData) : foundation::Value();
    int64_t theme = meta ? meta->get(outlinekeys::kTheme).asInt() : 0;
    ThemeCard drawn;
    if (card.type() == Frame::kTypeTitleCard || card.type() == Frame::kTypeCreditsCard) {
        drawn.templateName =
            card.type() == Frame::kTypeTitleCard ? titleTemplateName(theme) : creditsTemplateName(theme);
        drawn.texts = stored.isDictionary() ? stored.asDictionary().copy() : placeholderOutline(project);
    } else if (card.type() == Frame::kTypeThemeTextCard) {
        // A text card carries its own words and theme.
        std::shared_ptr<KWThemeItem> words = card.getTheme();
        theme = words ? words->themeID() : 0;
        drawn.templateName = textCardTemplateName(theme);
        drawn.texts = foundation::Dictionary{
            {outlinekeys::kMovieName, words ? words->text().value_or(std::string()) : std::string()}};
    } else {
        return std::nullopt;
    }
    drawn.backgroundName = backgroundImageName(theme);
    return drawn;
}

std::optional<graphics::Image> ThemeCard::drawAtSize(graphics::Size size) const {
    if (!(size.width >= 1) || !(size.height >= 1)) return std::nullopt;
    std::optional<std::string> page =
        DynamicPageReplacer::processFileAtPath(templateName, replacementDictionary(texts));
    if (!page) return std::nullopt;
    const std::string baseURL = "file://" + foundation::Bundle::main().resourcePath() + "/";
    graphics::HtmlDocument document(*page, kCardSize, baseURL, &ui::WebView::resolveResource);

    graphics::GraphicsContext context(size, 1.0, true);
    // The page's points become the picture's pixels at the fill scale: laid
    // out as at the card's size, drawn at this one.
    const graphics::Rect filled = UIImage_Resize::aspectFillRect(kCardSize, size);
    context.translate(filled.origin.x, filled.origin.y);
    context.scaleBy(filled.size.width / kCardSize.width, filled.size.height / kCardSize.height);
    const graphics::Rect card{0, 0, kCardSize.width, kCardSize.height};
    if (std::optional<graphics::Image> background = bundleImageNamed(backgroundName))
        context.drawImage(*background, card);
    document.draw(context);
    return context.makeImage();
}
