#pragma once

// Terminal colour tables and the nearest-colour choice of the console logger.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace logging {

// Components from 0 to 1.
struct TTYColor {
    double red = 0;
    double green = 0;
    double blue = 0;

    static TTYColor fromBytes(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }
};

enum class TTYColorMode { None, DebuggerConsole, Terminal16, Terminal256 };

// XcodeColors exactly "YES" → debugger console; else a TERM holding "color"
// (any case) → a terminal of 256 colours when it also holds "256", else 16.
TTYColorMode colorModeFor(const char* xcodeColors, const char* term);

// The foreground codes, background codes and colours of a terminal mode;
// index i of the three belongs together. Empty for the other modes.
struct TTYColorTable {
    std::vector<std::string> foregroundCodes;
    std::vector<std::string> backgroundCodes;
    std::vector<TTYColor> colors;
};
const TTYColorTable& colorTableFor(TTYColorMode mode);

// Components of a colour, each output optional.
void getRedGreenBlue(double* red, double* green, double* blue, const TTYColor& color);
// The table entry nearest in RGB; the lowest index wins a tie; 0 for an
// empty table.
size_t codeIndexForColor(const TTYColorTable& table, const TTYColor& color);

}  // namespace logging
