#include "platform/foundation/Localized.h"
#include "platform/foundation/PropertyList.h"
#include "support/ScopedEnvironment.h"
#include "support/TempAppFolders.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace foundation;

namespace {

std::optional<std::string> valueOrNone(const char* value) {
    return value ? std::optional<std::string>(value) : std::nullopt;
}

// Sets the locale variables for one test, with the language table read again.
struct ScopedLanguage : testsupport::ScopedEnvironment {
    explicit ScopedLanguage(const char* language, const char* lang = nullptr)
        : ScopedEnvironment({{"LANGUAGE", valueOrNone(language)},
                             {"LC_ALL", std::nullopt},
                             {"LC_MESSAGES", std::nullopt},
                             {"LANG", valueOrNone(lang)}},
                            reloadLocalizationTable) {}
};

}  // namespace

TEST(Localized, TheEnglishTextIsTheAnswerWhenNoTranslationExists) {
    ScopedLanguage language("xx");
    EXPECT_EQ(localized("No capture device found."), "No capture device found.");
    EXPECT_EQ(localized(""), "");
    EXPECT_EQ(localizedFormat("%d seconds", {15}), "15 seconds");
}

TEST(Localized, LanguageComesFromTheEnvironment) {
    {
        ScopedLanguage language(nullptr, "de_DE.UTF-8");
        EXPECT_EQ(currentLanguageCode(), "de");
    }
    {
        ScopedLanguage language("pt-BR:en", "de_DE.UTF-8");
        EXPECT_EQ(currentLanguageCode(), "pt");
    }
    {
        ScopedLanguage language(nullptr, "C");
        EXPECT_EQ(currentLanguageCode(), "en");
    }
    {
        ScopedLanguage language(nullptr, nullptr);
        EXPECT_EQ(currentLanguageCode(), "en");
    }
}

TEST(StringTable, LooksUpTranslationsAndFallsBackForMissingOrEmptyOnes) {
    testsupport::TempAppFolders folders;
    std::string file = folders.root() + "/de.plist";
    ASSERT_TRUE(plist::writeFile(Value(Dictionary{{"Dismiss", "Schließen"}, {"Error", ""}, {"Odd", 5}}), file));
    auto table = StringTable::load(file);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->lookup("Dismiss"), "Schließen");
    EXPECT_EQ(table->lookup("Error"), "Error");
    EXPECT_EQ(table->lookup("Odd"), "Odd");
    EXPECT_EQ(table->lookup("Settings"), "Settings");

    EXPECT_FALSE(StringTable::load(folders.root() + "/missing.plist"));
    ASSERT_TRUE(plist::writeFile(Value(Array{"a"}), folders.root() + "/array.plist"));
    EXPECT_FALSE(StringTable::load(folders.root() + "/array.plist"));
}

TEST(Format, TheSystemsOwnPatterns) {
    EXPECT_EQ(format("%@ (%@)", {"6.0.0", "600"}), "6.0.0 (600)");
    EXPECT_EQ(format("Ups. An unknown error occured. (%@-%d)", {"CaptureViewController", 636}),
              "Ups. An unknown error occured. (CaptureViewController-636)");
    EXPECT_EQ(format("%@ - [%@-%ld]", {"Disk full", "NSCocoaErrorDomain", 640}),
              "Disk full - [NSCocoaErrorDomain-640]");
    EXPECT_EQ(format("%.2d:%.2d:%.2d", {1, 2, 5}), "01:02:05");
    EXPECT_EQ(format("%.3d", {42}), "042");
    EXPECT_EQ(format("audio-%@.%@", {"ID", "m4a"}), "audio-ID.m4a");
}

TEST(Format, PrintfDetails) {
    EXPECT_EQ(format("%.0ld KB", {0}), " KB");  // precision 0 prints no digit for 0, as printf does
    EXPECT_EQ(format("%.0ld KB", {7}), "7 KB");
    EXPECT_EQ(format("%5.1f|%-4d|%04d", {3.14159, 7, 42}), "  3.1|7   |0042");
    EXPECT_EQ(format("%x %X %u", {255, 255, 3000000000u}), "ff FF 3000000000");
    EXPECT_EQ(format("100%% %s", {"done"}), "100% done");
    EXPECT_EQ(format("%@ %@", {2.5, true}), "2.5 1");
    EXPECT_EQ(format("%2$@ %1$@", {"world", "hello"}), "hello world");
    EXPECT_EQ(format("%C", {0x2013}), "\u2013");
    EXPECT_EQ(format("%*d", {5, 42}), "   42");
    EXPECT_EQ(format("%*.*f|%s", {6, 2, 3.14159, "end"}), "  3.14|end");
}

TEST(Format, MissingArgumentsAndStrayPercentSignsAreHarmless) {
    EXPECT_EQ(format("%@ and %@", {"one"}), "one and ");
    EXPECT_EQ(format("%d", {}), "0");
    EXPECT_EQ(format("50%", {}), "50%");
    EXPECT_EQ(format("%k stays", {}), "%k stays");
    EXPECT_EQ(format("%@", {Value()}), "(null)");
}
