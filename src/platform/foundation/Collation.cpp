#include "platform/foundation/Collation.h"

#include <memory>
#include <string_view>
#include <unicode/alphaindex.h>
#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

namespace foundation {

namespace {

constexpr const char* kOtherSection = "#";

// The user's language without its region and variant: the "POSIX" variant
// of a C locale would sort by code point (every capital before "a") and
// put every name into one section.
icu::Locale userLanguage() {
    const char* language = icu::Locale::getDefault().getLanguage();
    if (!language || !*language || std::string_view(language) == "c") return icu::Locale::getEnglish();
    return icu::Locale(language);
}

const icu::Collator* collator() {
    static const std::unique_ptr<icu::Collator> shared = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Collator> made(icu::Collator::createInstance(userLanguage(), status));
        if (U_FAILURE(status)) made.reset(icu::Collator::createInstance(icu::Locale::getRoot(), status));
        if (made) made->setStrength(icu::Collator::SECONDARY);
        return made;
    }();
    return shared.get();
}

const icu::AlphabeticIndex::ImmutableIndex* sectionIndex() {
    static const std::unique_ptr<icu::AlphabeticIndex::ImmutableIndex> shared = [] {
        UErrorCode status = U_ZERO_ERROR;
        icu::AlphabeticIndex index(userLanguage(), status);
        // The root locale has no letters of its own; Latin ones always help.
        index.addLabels(icu::Locale::getEnglish(), status);
        std::unique_ptr<icu::AlphabeticIndex::ImmutableIndex> built(index.buildImmutableIndex(status));
        if (U_FAILURE(status)) built.reset();
        return built;
    }();
    return shared.get();
}

}  // namespace

int localizedCaseInsensitiveCompare(std::string_view a, std::string_view b) {
    const icu::UnicodeString left = icu::UnicodeString::fromUTF8(icu::StringPiece(a.data(), int32_t(a.size())));
    const icu::UnicodeString right = icu::UnicodeString::fromUTF8(icu::StringPiece(b.data(), int32_t(b.size())));
    if (const icu::Collator* shared = collator()) {
        UErrorCode status = U_ZERO_ERROR;
        const UCollationResult result = shared->compare(left, right, status);
        if (U_SUCCESS(status)) return result;
    }
    return left.caseCompare(right, U_FOLD_CASE_DEFAULT);
}

std::string alphabeticSectionTitle(std::string_view text) {
    const icu::AlphabeticIndex::ImmutableIndex* index = sectionIndex();
    if (!index) return kOtherSection;
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString name = icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), int32_t(text.size())));
    const int32_t bucket = index->getBucketIndex(name, status);
    const icu::AlphabeticIndex::Bucket* found = U_SUCCESS(status) ? index->getBucket(bucket) : nullptr;
    if (!found || found->getLabelType() != U_ALPHAINDEX_NORMAL) return kOtherSection;
    std::string label;
    found->getLabel().toUTF8String(label);
    return label;
}

}  // namespace foundation
