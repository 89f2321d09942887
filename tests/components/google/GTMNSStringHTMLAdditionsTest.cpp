#include "components/google/GTMNSStringHTMLAdditions.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

using namespace GTMNSStringHTMLAdditions;

namespace {

struct Case {
    std::string input;
    std::string expected;
};

}  // namespace

TEST(HTMLEntityTables, AreSortedUniqueAndTheSpecialSetIsPartOfTheFullOne) {
    std::set<std::string> names;
    for (size_t i = 0; i < std::size(gAsciiHTMLEscapeMap); ++i) {
        if (i > 0) {
            EXPECT_LT(gAsciiHTMLEscapeMap[i - 1].uchar, gAsciiHTMLEscapeMap[i].uchar) << i;
        }
        names.insert(gAsciiHTMLEscapeMap[i].escapeSequence);
    }
    EXPECT_EQ(names.size(), 253u);
    EXPECT_STREQ(gAsciiHTMLEscapeMap[0].escapeSequence, "&quot;");
    EXPECT_STREQ(gAsciiHTMLEscapeMap[252].escapeSequence, "&diams;");
    EXPECT_EQ(gAsciiHTMLEscapeMap[252].uchar, 9830);
    for (size_t i = 0; i < std::size(gSpecialHTMLEscapeMap); ++i) {
        if (i > 0) {
            EXPECT_LT(gSpecialHTMLEscapeMap[i - 1].uchar, gSpecialHTMLEscapeMap[i].uchar) << i;
        }
        EXPECT_TRUE(names.count(gSpecialHTMLEscapeMap[i].escapeSequence)) << gSpecialHTMLEscapeMap[i].escapeSequence;
    }
    EXPECT_STREQ(gSpecialHTMLEscapeMap[32].escapeSequence, "&euro;");
}

TEST(GTMNSStringHTMLAdditions, EscapingForHTMLUsesOnlyTheSpecialSet) {
    const Case cases[] = {
        {"", ""},
        {"plain text", "plain text"},
        {"a < b & \"c\" \"d\"", "a &lt; b &amp; &quot;c&quot; &quot;d&quot;"},
        {"Tom & Jerry", "Tom &amp; Jerry"},
        {"it's", "it&apos;s"},
        {"<b>bold</b>", "&lt;b&gt;bold&lt;/b&gt;"},
        {"caf\u00e9", "caf\u00e9"},  // 233 is in the full set only
        {"\u0100", "\u0100"},        // 256 is in neither
        {"\u20ac 5 \u2014 x", "&euro; 5 &mdash; x"},
        {"\U0001F600", "\U0001F600"},  // both surrogates kept
    };
    for (const Case& c : cases) EXPECT_EQ(gtm_stringByEscapingForHTML(c.input), c.expected) << c.input;
}

TEST(GTMNSStringHTMLAdditions, EscapingForAsciiHTMLLeavesOnlyAscii) {
    const Case cases[] = {
        {"caf\u00e9", "caf&eacute;"},
        {"\u0100", "&#256;"},
        {"\u00a0\u00ff", "&nbsp;&yuml;"},
        {"\u03b8\u03d1", "&theta;&thetasym;"},
        {"a<b", "a&lt;b"},
        {"\U0001F600", "&#55357;&#56832;"},  // one reference per UTF-16 unit
        {"\u4e2d", "&#20013;"},
    };
    for (const Case& c : cases) EXPECT_EQ(gtm_stringByEscapingForAsciiHTML(c.input), c.expected) << c.input;
}

TEST(GTMNSStringHTMLAdditions, UnescapingReplacesOnlyWellFormedReferences) {
    const Case cases[] = {
        {"&#65;", "A"},
        {"&#x41;", "A"},
        {"&#X41;", "A"},
        {"&lt;&gt;&amp;&quot;&apos;", "<>&\"'"},
        {"&eacute;t&eacute;", "\u00e9t\u00e9"},
        {"&thetasym;", "\u03d1"},  // ten characters: still a candidate
        {"&#0;", "&#0;"},          // below 1
        {"&#65535;", "&#65535;"},  // above 65534
        {"&#65534;", "\uFFFE"},
        {"&#99999;", "&#99999;"},
        {"&#x;", "&#x;"},  // no digits
        {"&#xG1;", "&#xG1;"},
        {"&#12a;", "&#12a;"},  // not wholly consumed
        {"&LT;", "&LT;"},      // names are case-sensitive
        {"&Eacute;&eacute;", "\u00c9\u00e9"},
        {"&amp", "&amp"},                  // no semicolon
        {"&amp &lt;", "&amp <"},           // the semicolon belongs to the next "&"
        {"&;", "&;"},                      // too short
        {"&abcdefghij;", "&abcdefghij;"},  // eleven characters
        {"&#00000065;", "&#00000065;"},    // eleven characters
        {"&#0000065;", "A"},               // ten
        {"&nosuch;", "&nosuch;"},
        {"&amp;lt;", "&lt;"},  // no new reference from earlier text
        {"&&lt;", "&<"},
        {"a;b&c", "a;b&c"},
    };
    for (const Case& c : cases) EXPECT_EQ(gtm_stringByUnescapingFromHTML(c.input), c.expected) << c.input;
}

TEST(GTMNSStringHTMLAdditions, SurrogatesStandAloneAsUnitsAndBecomeReplacementsInUtf8) {
    // Two numeric surrogate references make one character again; one alone
    // cannot be UTF-8 and turns into U+FFFD.
    EXPECT_EQ(gtm_stringByUnescapingFromHTML(std::string("&#55357;&#56832;")), "\U0001F600");
    EXPECT_EQ(gtm_stringByUnescapingFromHTML(std::string("x&#55357;y")), "x\uFFFDy");
    EXPECT_EQ(gtm_stringByUnescapingFromHTML(std::string("&#xDC00;")), "\uFFFD");
    std::u16string lone = gtm_stringByUnescapingFromHTML(std::u16string(u"&#55357;"));
    ASSERT_EQ(lone.size(), 1u);
    EXPECT_EQ(lone[0], 0xD83D);
    // A lone surrogate handed in as UTF-16 is escaped as its own number.
    EXPECT_EQ(gtm_stringByEscapingForAsciiHTML(std::u16string(1, char16_t(0xD800))), u"&#55296;");
    EXPECT_EQ(gtm_stringByEscapingForHTML(std::u16string(1, char16_t(0xD800))), std::u16string(1, char16_t(0xD800)));
}

TEST(GTMNSStringHTMLAdditions, Utf8ConversionReplacesWhatCannotBeConverted) {
    const Case cases[] = {
        {"\xff", "\uFFFD"},
        {"a\xc3", "a\uFFFD"},                              // cut short
        {"\xc0\xaf", "\uFFFD\uFFFD"},                      // overlong
        {"\xed\xa0\x80", "\uFFFD\uFFFD\uFFFD"},            // an encoded surrogate
        {"\xf4\x90\x80\x80", "\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
        {"\u00e9\u4e2d\U0001F600", "\u00e9\u4e2d\U0001F600"},
    };
    for (const Case& c : cases) EXPECT_EQ(utf8FromUtf16(utf16FromUtf8(c.input)), c.expected) << c.input;
}

TEST(GTMNSStringHTMLAdditions, TheWorkerCountsEntriesBySizeInBytes) {
    // Only the first five entries of the table (up to "&gt;") take part.
    EXPECT_EQ(gtm_stringByEscapingHTMLUsingTable(u"<\u20ac>", gSpecialHTMLEscapeMap, 5 * sizeof(HTMLEscapeMap), false),
              u"&lt;\u20ac&gt;");
    EXPECT_EQ(gtm_stringByEscapingHTMLUsingTable(u"<\u20ac>", gSpecialHTMLEscapeMap, 5 * sizeof(HTMLEscapeMap), true),
              u"&lt;&#8364;&gt;");
}

TEST(GTMNSStringHTMLAdditions, EveryEntityRoundTrips) {
    for (const HTMLEscapeMap& entry : gAsciiHTMLEscapeMap) {
        std::u16string unit(1, entry.uchar);
        std::u16string escaped = gtm_stringByEscapingForAsciiHTML(unit);
        EXPECT_EQ(utf8FromUtf16(escaped), entry.escapeSequence);
        EXPECT_EQ(gtm_stringByUnescapingFromHTML(escaped), unit) << entry.escapeSequence;
    }
}
