#pragma once

// What a card frame shows: the theme's background picture under an HTML
// template filled with texts (the project's outline for the title and
// credits cards, a text card's own words), laid out at the card's size of
// 1280×720. The web renderer draws it into the frame's stored pictures; a
// render that needs the card at another size draws it here anew, so its text
// and lines come out as sharp as they are at the card's own size rather than
// scaled up from the stored picture.
//
// Taken from the project on the main thread (the outline and a text card's
// words live there), drawn on any thread.

#include "app/core/Frame.h"
#include "app/core/ProjectModel.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <optional>
#include <string>

struct ThemeCard {
    // The size a card's page is laid out at.
    static constexpr graphics::Size kCardSize{1280, 720};

    std::string templateName;
    // The outline, or a text card's words under the movie name's key; a
    // copy of its own, so the project may change meanwhile.
    foundation::Dictionary texts;
    std::string backgroundName;

    // The card a frame shows; none for a frame that is no card. Main thread.
    static std::optional<ThemeCard> ofFrame(ProjectModel& project, const Frame& card);

    // The card at `size` pixels: the page drawn at the scale that fills the
    // size, centred, with what overflows cut equally from both sides (as
    // every picture of a movie is fitted). None when the template cannot be
    // read. Any thread.
    std::optional<graphics::Image> drawAtSize(graphics::Size size) const;

    // The replacement texts for an outline dictionary: a copy of it and the
    // nine fixed words in their localized texts. The words go in only with
    // outline texts around them (a dictionary of the movie name alone, as a
    // text card gives, shows that text alone).
    static foundation::Dictionary replacementDictionary(const foundation::Dictionary& outline);

    // The resources of theme t.
    static std::string backgroundImageName(int64_t theme);  // "theme_bg_%.2d.jpg"
    static std::string titleTemplateName(int64_t theme);    // "theme_title_%.2d.html"
    static std::string creditsTemplateName(int64_t theme);  // "theme_credits_%.2d.html"
    // A text card's template: the title template of themes below 20, one
    // template for the text themes from 20 on.
    static std::string textCardTemplateName(int64_t theme);
};
