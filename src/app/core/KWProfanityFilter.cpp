#include "app/core/KWProfanityFilter.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Strings.h"

#include <cstdio>
#include <cstring>
#include <random>
#include <unicode/regex.h>
#include <unicode/unistr.h>

namespace {

constexpr const char* kWordListName = "en-prof";

}  // namespace

KWProfanityFilter::KWProfanityFilter(const foundation::Bundle& bundle) : bundle_(bundle) {}

std::string KWProfanityFilter::cleanWordWithLength(int64_t length) {
    if (length < 1) return {};
    thread_local std::mt19937 generator{std::random_device{}()};
    const size_t alphabetSize = std::strlen(kReplacementAlphabet);
    std::uniform_int_distribution<size_t> pick(0, alphabetSize - 1);
    std::string mask;
    mask.reserve(static_cast<size_t>(length));
    for (int64_t i = 0; i < length; ++i) mask += kReplacementAlphabet[pick(generator)];
    return mask;
}

// The list is loaded once, but only for English; in another language the
// next call looks again, since the preferred language may change.
bool KWProfanityFilter::loadWordsIfEnglish() {
    if (badwords_) return true;
    if (foundation::currentLanguageCode() != "en") return false;
    std::vector<std::string> words;
    if (std::optional<std::string> path = bundle_.pathForResource(kWordListName)) {
        foundation::Result<foundation::Bytes> contents = foundation::readFile(*path);
        if (contents.ok()) words = foundation::split(std::string(contents->begin(), contents->end()), '\n');
    }
    badwords_ = std::move(words);
    return true;
}

std::string KWProfanityFilter::filterText(const std::string& text) {
    if (!loadWordsIfEnglish()) return text;
    icu::UnicodeString current = icu::UnicodeString::fromUTF8(text);
    for (const std::string& word : *badwords_) {
        // An empty line would only match empty stretches and change nothing.
        if (word.empty()) continue;
        icu::UnicodeString pattern = icu::UnicodeString::fromUTF8("\\b" + word + "\\b");
        UErrorCode status = U_ZERO_ERROR;
        icu::RegexMatcher matcher(pattern, UREGEX_CASE_INSENSITIVE, status);
        if (U_FAILURE(status)) {
            // The list may hold patterns; one that does not compile is skipped.
            std::fprintf(stderr, "KWProfanityFilter: skipping pattern \"%s\"\n", word.c_str());
            continue;
        }
        icu::UnicodeString wordUtf16 = icu::UnicodeString::fromUTF8(word);
        // The alphabet holds neither "$" nor "\", so the mask is taken literally.
        icu::UnicodeString mask = icu::UnicodeString::fromUTF8(cleanWordWithLength(wordUtf16.length()));
        matcher.reset(current);
        icu::UnicodeString replaced = matcher.replaceAll(mask, status);
        if (U_SUCCESS(status)) current = replaced;
    }
    std::string result;
    current.toUTF8String(result);
    return result;
}
