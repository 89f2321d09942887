#pragma once

// Masks listed words in text that the user types before it is stored (the
// project name, for one). The word list is the resource "en-prof", one word
// or pattern per line, used only when the preferred language is English.

#include "platform/foundation/Bundle.h"

#include <optional>
#include <string>
#include <vector>

class KWProfanityFilter {
public:
    // The characters a mask is drawn from.
    static inline const char* kReplacementAlphabet = "!&?@#!#%&";

    explicit KWProfanityFilter(const foundation::Bundle& bundle = foundation::Bundle::main());

    // The text with every listed word masked, case-insensitively and only as
    // a whole word. Every occurrence of one listed word gets the same mask.
    std::string filterText(const std::string& text);

    // n characters drawn at random from the replacement alphabet; empty for n < 1.
    static std::string cleanWordWithLength(int64_t length);

private:
    bool loadWordsIfEnglish();

    const foundation::Bundle& bundle_;
    std::optional<std::vector<std::string>> badwords_;
};
