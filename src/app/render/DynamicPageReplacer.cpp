#include "app/render/DynamicPageReplacer.h"

#include "app/render/OutlineTexts.h"
#include "components/google/GTMNSStringHTMLAdditions.h"
#include "platform/foundation/Bundle.h"

#include <fstream>
#include <sstream>

namespace {

constexpr std::string_view kLineBreakTag = "</br>";

std::string replaceAll(std::string text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

}  // namespace

const std::vector<std::string>& DynamicPageReplacer::fixedWords() {
    static const std::vector<std::string> words = {
        "Theme_Credits_And_key",   "Theme_Credits_Present_key",  "Theme_Credits_A_key",
        "Theme_Credits_film_key",  "Theme_Credits_Starring_key", "Theme_Credits_Edited_key",
        "Theme_Credits_Music_key", "Theme_Credits_Written_key",  "Theme_Credits_Produced_key",
    };
    return words;
}

const std::vector<std::string>& DynamicPageReplacer::templateKeys() {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> all;
        for (const OutlineSection& section : outlineSections())
            for (const OutlineRow& row : section.rows) all.emplace_back(row.key);
        all.insert(all.end(), fixedWords().begin(), fixedWords().end());
        return all;
    }();
    return keys;
}

std::string DynamicPageReplacer::escapedText(const std::string& text) {
    std::string lines = replaceAll(text, kLineBreakTag, "\n");
    std::string escaped = GTMNSStringHTMLAdditions::gtm_stringByEscapingForHTML(lines);
    return replaceAll(escaped, "\n", kLineBreakTag);
}

std::string DynamicPageReplacer::fillPage(const std::string& page,
                                          const foundation::Dictionary& replacementDictionary) {
    struct Filling {
        std::string key;
        std::string text;
    };
    std::vector<Filling> fillings;
    for (const auto& [key, value] : replacementDictionary) {
        if (key.empty() || !value.isString()) continue;
        fillings.push_back({key, escapedText(value.asString())});
    }
    for (const std::string& key : templateKeys())
        if (!replacementDictionary.get(key).isString()) fillings.push_back({key, {}});

    std::string filled;
    filled.reserve(page.size());
    size_t at = 0;
    while (at < page.size()) {
        const Filling* match = nullptr;
        for (const Filling& filling : fillings) {
            if (page.compare(at, filling.key.size(), filling.key) == 0 &&
                (!match || filling.key.size() > match->key.size()))
                match = &filling;
        }
        if (match) {
            filled += match->text;
            at += match->key.size();
        } else {
            filled += page[at++];
        }
    }
    return filled;
}

std::optional<std::string> DynamicPageReplacer::processFileAtPath(const std::string& fileName,
                                                                  const foundation::Dictionary& replacementDictionary) {
    std::optional<std::string> path = foundation::Bundle::main().pathForResource(fileName);
    if (!path) return std::nullopt;
    std::ifstream file(*path, std::ios::binary);
    if (!file) return std::nullopt;
    std::ostringstream contents;
    contents << file.rdbuf();
    if (file.bad()) return std::nullopt;
    return fillPage(contents.str(), replacementDictionary);
}
