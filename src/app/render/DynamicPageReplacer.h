#pragma once

// Fills an HTML card template with texts. A template holds its keys
// literally where the texts go; each text is escaped for HTML, except that a
// "</br>" in it stays a line break, so a user's text shows as typed and any
// other markup in it shows as text.

#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <vector>

class DynamicPageReplacer {
public:
    // The keys a card template may hold: the outline's eight and the nine
    // fixed words.
    static const std::vector<std::string>& templateKeys();
    // The nine fixed words; each is filled with its localized text.
    static const std::vector<std::string>& fixedWords();

    // The template of that name among the application's resources, filled;
    // none when it cannot be read.
    static std::optional<std::string> processFileAtPath(const std::string& fileName,
                                                        const foundation::Dictionary& replacementDictionary);

    // Fills a page in one pass over it, so a text that happens to contain a
    // key is never filled again. A key with a text value gets the text; every
    // template key left without one is blanked, so a card never shows a raw key.
    static std::string fillPage(const std::string& page, const foundation::Dictionary& replacementDictionary);

    // A text as it goes into a page.
    static std::string escapedText(const std::string& text);
};
