#pragma once

// Colour extensions: component access, hexadecimal and text forms, colour
// arithmetic and the CSS colour names.
//
// Only grey (monochrome) and RGB colours have components; a grey colour
// answers its white for red, green and blue alike. Operations that cannot
// answer for a colour without components (a pattern) return none.

#include "platform/graphics/Color.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace UIColor_Expanded {

using graphics::Color;

// The drawing system's colour-space models.
enum ColorSpaceModel : int {
    kColorSpaceModelUnknown = -1,
    kColorSpaceModelMonochrome = 0,
    kColorSpaceModelRGB = 1,
    kColorSpaceModelCMYK = 2,
    kColorSpaceModelLab = 3,
    kColorSpaceModelDeviceN = 4,
    kColorSpaceModelIndexed = 5,
    kColorSpaceModelPattern = 6,
};

int colorSpaceModel(const Color& color);
std::string colorSpaceString(const Color& color);
// The name of a model value; "Not a valid color space" outside -1...6.
std::string colorSpaceString(int model);
bool canProvideRGBComponents(const Color& color);

// Writes the components into the pointers that are not null; false, with
// nothing written, for a colour without components.
bool red(const Color& color, double* red, double* green, double* blue, double* alpha);
// r, g, b, a in single precision; none for a colour without components.
std::optional<std::array<float, 4>> arrayFromRGBAComponents(const Color& color);

// Single components; 0 for a colour without components (alpha excepted,
// which every colour has).
double red(const Color& color);
double green(const Color& color);
double blue(const Color& color);
double white(const Color& color);
double alpha(const Color& color);

// 0xRRGGBB of the components clamped to 0...1; 0 without components.
uint32_t rgbHex(const Color& color);
// rgbHex as six upper-case hexadecimal digits.
std::string hexStringFromColor(const Color& color);
// "{white, alpha}" or "{r, g, b, a}" with three decimals; none for others.
std::optional<std::string> stringFromColor(const Color& color);

// A grey of the colour's luminance (Rec. 709 weights), same alpha.
std::optional<Color> colorByLuminanceMapping(const Color& color);

// Component-wise arithmetic. Multiplying and adding clamp to 0...1;
// lightening takes the larger, darkening the smaller of each pair.
std::optional<Color> colorByMultiplyingByRed(const Color& color, double red, double green, double blue, double alpha);
std::optional<Color> colorByAddingRed(const Color& color, double red, double green, double blue, double alpha);
std::optional<Color> colorByLighteningToRed(const Color& color, double red, double green, double blue, double alpha);
std::optional<Color> colorByDarkeningToRed(const Color& color, double red, double green, double blue, double alpha);

std::optional<Color> colorByMultiplyingBy(const Color& color, double f);
std::optional<Color> colorByAdding(const Color& color, double f);
std::optional<Color> colorByLighteningTo(const Color& color, double f);
std::optional<Color> colorByDarkeningTo(const Color& color, double f);

std::optional<Color> colorByMultiplyingByColor(const Color& color, const Color& other);
std::optional<Color> colorByAddingColor(const Color& color, const Color& other);
std::optional<Color> colorByLighteningToColor(const Color& color, const Color& other);
std::optional<Color> colorByDarkeningToColor(const Color& color, const Color& other);

// Opaque RGB colour from 0xRRGGBB (higher bits ignored).
Color colorWithRGBHex(uint32_t hex);
// Hexadecimal digits after optional white space and an optional "0x";
// reading stops at the first other character. None when there is no digit.
std::optional<Color> colorWithHexString(std::string_view text);
// The text forms that stringFromColor writes.
std::optional<Color> colorWithString(std::string_view text);
// A CSS colour name, exactly as listed (lower case); none for others.
// Answers are kept, so each name is searched once per process.
std::optional<Color> colorWithName(std::string_view name);
Color randomColor();

namespace detail {
// Whether a name's answer (found or not) is in the name cache.
bool nameIsCached(std::string_view name);
}  // namespace detail

}  // namespace UIColor_Expanded
