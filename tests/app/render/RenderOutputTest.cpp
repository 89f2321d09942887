// The arithmetic of the "not enough space" message: what fits is never
// refused, and what is refused never reads as if it fit.

#include "app/render/RenderOutput.h"

#include <gtest/gtest.h>

namespace {

TEST(RenderOutputSpace, WhatIsRefusedNeedsVisiblyMoreThanIsFree) {
    constexpr uint64_t KB = 1ull << 10, MB = 1ull << 20, GB = 1ull << 30;
    const struct {
        uint64_t needed, free;
        const char* figures;  // "needed|free"; empty where it fits
    } cases[] = {
        {0, 0, ""},
        {MB, MB, ""},
        {MB - 1, MB, ""},
        {5 * GB, 5 * GB, ""},
        {5 * MB, 4 * MB, "5 MB|4 MB"},
        {112 * MB, 4 * MB, "112 MB|4 MB"},
        {16 * GB, 4 * MB, "16 GB|4 MB"},
        {MB, 500 * KB, "1 MB|500 KB"},
        // The same whole figure: decimals of the needed size's unit tell them apart.
        {1'300'000, 1'200'000, "1.2 MB|1.1 MB"},
        {1'040'000, 1'030'000, "0.99 MB|0.98 MB"},
        {2000, 1500, "1.9 KB|1.4 KB"},
        {GB + 10 * MB, GB + 5 * MB, "1.009 GB|1.004 GB"},
        // One byte short: only bytes say it.
        {MB + 1, MB, "1048577 bytes|1048576 bytes"},
        {1025, 1024, "1025 bytes|1024 bytes"},
        {UINT64_MAX, UINT64_MAX - 1, "18446744073709551615 bytes|18446744073709551614 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.needed) + " needed, " + std::to_string(c.free) + " free");
        const auto text = renderoutput::notEnoughSpaceText("My_Stop_Ziruru_Movie.mov", c.needed, c.free);
        const std::string figures = c.figures;
        if (figures.empty()) {
            EXPECT_FALSE(text) << *text;
            continue;
        }
        const size_t bar = figures.find('|');
        EXPECT_EQ(text, "There is not enough space for \u201CMy_Stop_Ziruru_Movie.mov\u201D: it needs at least " +
                            figures.substr(0, bar) + ", and " + figures.substr(bar + 1) + " are free.");
    }
}

}  // namespace
