#include "components/support/logging/TTYColors.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <string_view>

namespace logging {

namespace {

bool containsIgnoringCase(std::string_view text, std::string_view part) {
    auto found = std::search(text.begin(), text.end(), part.begin(), part.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
    return found != text.end();
}

TTYColorTable buildTable16() {
    static const int rgb[16][3] = {{0, 0, 0},       {194, 54, 33},  {37, 188, 36},  {173, 173, 39},
                                   {73, 46, 225},   {211, 56, 211}, {51, 187, 200}, {203, 204, 205},
                                   {129, 131, 131}, {252, 57, 31},  {49, 231, 34},  {234, 236, 35},
                                   {88, 51, 255},   {249, 53, 248}, {20, 240, 240}, {233, 235, 235}};
    TTYColorTable table;
    for (int i = 0; i < 16; ++i) {
        const std::string bold = i < 8 ? "" : "1;";
        table.foregroundCodes.push_back(bold + std::to_string(30 + i % 8) + "m");
        table.backgroundCodes.push_back(bold + std::to_string(40 + i % 8) + "m");
        table.colors.push_back(TTYColor::fromBytes(rgb[i][0], rgb[i][1], rgb[i][2]));
    }
    return table;
}

// Colour numbers 16 to 255 as a terminal renders them: the cube and grey
// ramp at their standard levels, with the entries measured on the terminal
// whose palette this follows put in their place.
TTYColorTable buildTable256() {
    static const int cubeLevels[6] = {0, 95, 135, 175, 215, 255};
    struct Measured {
        int number, r, g, b;
    };
    static const Measured measured[] = {{16, 47, 49, 49},   {17, 60, 42, 144},    {21, 88, 51, 255},
                                        {46, 27, 254, 30},  {124, 214, 57, 30},   {130, 204, 121, 32},
                                        {196, 255, 61, 30}, {226, 251, 252, 15},  {231, 254, 255, 255},
                                        {232, 52, 53, 53},  {244, 151, 152, 153}, {255, 240, 242, 242}};
    TTYColorTable table;
    for (int number = 16; number < 256; ++number) {
        int r, g, b;
        if (number < 232) {
            const int cube = number - 16;
            r = cubeLevels[cube / 36];
            g = cubeLevels[(cube / 6) % 6];
            b = cubeLevels[cube % 6];
        } else {
            r = g = b = 8 + 10 * (number - 232);
        }
        for (const auto& m : measured) {
            if (m.number == number) {
                r = m.r;
                g = m.g;
                b = m.b;
            }
        }
        table.foregroundCodes.push_back("38;5;" + std::to_string(number) + "m");
        table.backgroundCodes.push_back("48;5;" + std::to_string(number) + "m");
        table.colors.push_back(TTYColor::fromBytes(r, g, b));
    }
    return table;
}

}  // namespace

TTYColorMode colorModeFor(const char* xcodeColors, const char* term) {
    if (xcodeColors && std::strcmp(xcodeColors, "YES") == 0) return TTYColorMode::DebuggerConsole;
    if (term && containsIgnoringCase(term, "color")) {
        return containsIgnoringCase(term, "256") ? TTYColorMode::Terminal256 : TTYColorMode::Terminal16;
    }
    return TTYColorMode::None;
}

const TTYColorTable& colorTableFor(TTYColorMode mode) {
    static const TTYColorTable empty;
    static const TTYColorTable table16 = buildTable16();
    static const TTYColorTable table256 = buildTable256();
    switch (mode) {
        case TTYColorMode::Terminal16:
            return table16;
        case TTYColorMode::Terminal256:
            return table256;
        default:
            return empty;
    }
}

void getRedGreenBlue(double* red, double* green, double* blue, const TTYColor& color) {
    if (red) *red = color.red;
    if (green) *green = color.green;
    if (blue) *blue = color.blue;
}

size_t codeIndexForColor(const TTYColorTable& table, const TTYColor& color) {
    double best = 100.0;
    size_t bestIndex = 0;
    for (size_t i = 0; i < table.colors.size(); ++i) {
        const TTYColor& c = table.colors[i];
        const double distance = std::sqrt(std::pow(c.red - color.red, 2) + std::pow(c.green - color.green, 2) +
                                          std::pow(c.blue - color.blue, 2));
        if (distance < best) {
            best = distance;
            bestIndex = i;
        }
    }
    return bestIndex;
}

}  // namespace logging
