#include "app/widgets/categories/UIColor_Expanded.h"

#include "app/widgets/categories/UIColor_Expanded_Support.h"
#include "platform/foundation/Strings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <mutex>

namespace UIColor_Expanded {

namespace {

using graphics::RGBAComponents;

double clamp01(double value) { return std::clamp(value, 0.0, 1.0); }

template <class Combine>
std::optional<Color> combine(const Color& color, const RGBAComponents& other, Combine op) {
    auto c = color.rgba();
    if (!c) return std::nullopt;
    return Color::rgb(op(c->red, other.red), op(c->green, other.green), op(c->blue, other.blue),
                      op(c->alpha, other.alpha));
}

double multiplyClamped(double a, double b) { return clamp01(a * b); }
double addClamped(double a, double b) { return clamp01(a + b); }
double larger(double a, double b) { return std::max(a, b); }
double smaller(double a, double b) { return std::min(a, b); }

// Another colour's red, green and blue with a fixed alpha, the one that
// leaves alpha as it is under the operation.
template <class Combine>
std::optional<Color> combineWithColor(const Color& color, const Color& other, double alpha, Combine op) {
    auto o = other.rgba();
    if (!o) return std::nullopt;
    return combine(color, {o->red, o->green, o->blue, alpha}, op);
}

// Formats with three decimals whatever the process locale (Qt sets the
// locale from the environment, which would turn the point into a comma).
std::string threeDecimals(double value) {
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
    if (error != std::errc()) return "nan";
    return std::string(buffer, end);
}

// A reader over text with the platform scanner's habit of skipping white
// space before each token.
class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    void skipSpace() {
        while (pos_ < text_.size() && isSpace(text_[pos_])) ++pos_;
    }
    bool atEnd() const { return pos_ >= text_.size(); }

    bool scanCharacter(char c) {
        skipSpace();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    // A decimal number in single precision: optional sign, digits with an
    // optional fraction, optional exponent.
    std::optional<float> scanFloat() {
        skipSpace();
        size_t p = pos_;
        bool negative = false;
        if (p < text_.size() && (text_[p] == '+' || text_[p] == '-')) {
            negative = text_[p] == '-';
            ++p;
        }
        size_t numberStart = p;
        size_t digits = 0;
        while (p < text_.size() && isDigit(text_[p])) ++p, ++digits;
        if (p < text_.size() && text_[p] == '.') {
            ++p;
            while (p < text_.size() && isDigit(text_[p])) ++p, ++digits;
        }
        if (digits == 0) return std::nullopt;
        if (p < text_.size() && (text_[p] == 'e' || text_[p] == 'E')) {
            size_t q = p + 1;
            if (q < text_.size() && (text_[q] == '+' || text_[q] == '-')) ++q;
            if (q < text_.size() && isDigit(text_[q])) {
                while (q < text_.size() && isDigit(text_[q])) ++q;
                p = q;
            }
        }
        float value = 0;
        auto [end, error] = std::from_chars(text_.data() + numberStart, text_.data() + p, value);
        if (error == std::errc::result_out_of_range) {
            value = std::numeric_limits<float>::infinity();
        } else if (error != std::errc() || end != text_.data() + p) {
            return std::nullopt;
        }
        pos_ = p;
        return negative ? -value : value;
    }

    // Hexadecimal digits after an optional "0x"; saturates on overflow.
    std::optional<uint32_t> scanHexInt() {
        skipSpace();
        size_t p = pos_;
        if (p + 1 < text_.size() && text_[p] == '0' && (text_[p + 1] == 'x' || text_[p + 1] == 'X')) p += 2;
        uint64_t value = 0;
        size_t digits = 0;
        while (p < text_.size()) {
            int digit = foundation::hexDigitValue(text_[p]);
            if (digit < 0) break;
            value = std::min<uint64_t>(value * 16 + static_cast<uint64_t>(digit), 0xFFFFFFFFull);
            ++p, ++digits;
        }
        if (digits == 0) return std::nullopt;
        pos_ = p;
        return static_cast<uint32_t>(value);
    }

private:
    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    std::string_view text_;
    size_t pos_ = 0;
};

// Names already asked for: the colour, or none when the table lacks it.
struct NameCache {
    std::mutex lock;
    std::map<std::string, std::optional<Color>, std::less<>> entries;
};

NameCache& nameCache() {
    static NameCache cache;
    return cache;
}

}  // namespace

int colorSpaceModel(const Color& color) {
    switch (color.space()) {
        case Color::Space::Monochrome:
            return kColorSpaceModelMonochrome;
        case Color::Space::RGB:
            return kColorSpaceModelRGB;
        case Color::Space::Pattern:
            return kColorSpaceModelPattern;
    }
    return kColorSpaceModelUnknown;
}

std::string colorSpaceString(int model) {
    switch (model) {
        case kColorSpaceModelUnknown:
            return "kCGColorSpaceModelUnknown";
        case kColorSpaceModelMonochrome:
            return "kCGColorSpaceModelMonochrome";
        case kColorSpaceModelRGB:
            return "kCGColorSpaceModelRGB";
        case kColorSpaceModelCMYK:
            return "kCGColorSpaceModelCMYK";
        case kColorSpaceModelLab:
            return "kCGColorSpaceModelLab";
        case kColorSpaceModelDeviceN:
            return "kCGColorSpaceModelDeviceN";
        case kColorSpaceModelIndexed:
            return "kCGColorSpaceModelIndexed";
        case kColorSpaceModelPattern:
            return "kCGColorSpaceModelPattern";
        default:
            return "Not a valid color space";
    }
}

std::string colorSpaceString(const Color& color) { return colorSpaceString(colorSpaceModel(color)); }

bool canProvideRGBComponents(const Color& color) {
    int model = colorSpaceModel(color);
    return model == kColorSpaceModelMonochrome || model == kColorSpaceModelRGB;
}

bool red(const Color& color, double* redOut, double* greenOut, double* blueOut, double* alphaOut) {
    return color.getRed(redOut, greenOut, blueOut, alphaOut);
}

std::optional<std::array<float, 4>> arrayFromRGBAComponents(const Color& color) {
    auto c = color.rgba();
    if (!c) return std::nullopt;
    return std::array<float, 4>{static_cast<float>(c->red), static_cast<float>(c->green), static_cast<float>(c->blue),
                                static_cast<float>(c->alpha)};
}

double red(const Color& color) {
    auto c = color.rgba();
    return c ? c->red : 0.0;
}

double green(const Color& color) {
    auto c = color.rgba();
    return c ? c->green : 0.0;
}

double blue(const Color& color) {
    auto c = color.rgba();
    return c ? c->blue : 0.0;
}

double white(const Color& color) { return red(color); }

double alpha(const Color& color) { return color.alpha(); }

uint32_t rgbHex(const Color& color) {
    auto c = color.rgba();
    if (!c) return 0;
    auto byte = [](double v) { return static_cast<uint32_t>(std::lround(clamp01(v) * 255.0)); };
    return (byte(c->red) << 16) | (byte(c->green) << 8) | byte(c->blue);
}

std::string hexStringFromColor(const Color& color) {
    static const char digits[] = "0123456789ABCDEF";
    uint32_t hex = rgbHex(color);
    std::string text(6, '0');
    for (int i = 5; i >= 0; --i, hex >>= 4) text[static_cast<size_t>(i)] = digits[hex & 0xF];
    return text;
}

std::optional<std::string> stringFromColor(const Color& color) {
    switch (colorSpaceModel(color)) {
        case kColorSpaceModelMonochrome:
            return "{" + threeDecimals(white(color)) + ", " + threeDecimals(color.alpha()) + "}";
        case kColorSpaceModelRGB:
            return "{" + threeDecimals(red(color)) + ", " + threeDecimals(green(color)) + ", " +
                   threeDecimals(blue(color)) + ", " + threeDecimals(color.alpha()) + "}";
        default:
            return std::nullopt;
    }
}

std::optional<Color> colorByLuminanceMapping(const Color& color) {
    auto c = color.rgba();
    if (!c) return std::nullopt;
    return Color::grey(0.2126 * c->red + 0.7152 * c->green + 0.0722 * c->blue, c->alpha);
}

std::optional<Color> colorByMultiplyingByRed(const Color& color, double r, double g, double b, double a) {
    return combine(color, {r, g, b, a}, multiplyClamped);
}

std::optional<Color> colorByAddingRed(const Color& color, double r, double g, double b, double a) {
    return combine(color, {r, g, b, a}, addClamped);
}

std::optional<Color> colorByLighteningToRed(const Color& color, double r, double g, double b, double a) {
    return combine(color, {r, g, b, a}, larger);
}

std::optional<Color> colorByDarkeningToRed(const Color& color, double r, double g, double b, double a) {
    return combine(color, {r, g, b, a}, smaller);
}

std::optional<Color> colorByMultiplyingBy(const Color& color, double f) {
    return colorByMultiplyingByRed(color, f, f, f, 1.0);
}

std::optional<Color> colorByAdding(const Color& color, double f) { return colorByAddingRed(color, f, f, f, 0.0); }

std::optional<Color> colorByLighteningTo(const Color& color, double f) {
    return colorByLighteningToRed(color, f, f, f, 0.0);
}

std::optional<Color> colorByDarkeningTo(const Color& color, double f) {
    return colorByDarkeningToRed(color, f, f, f, 1.0);
}

std::optional<Color> colorByMultiplyingByColor(const Color& color, const Color& other) {
    return combineWithColor(color, other, 1.0, multiplyClamped);
}

std::optional<Color> colorByAddingColor(const Color& color, const Color& other) {
    return combineWithColor(color, other, 0.0, addClamped);
}

std::optional<Color> colorByLighteningToColor(const Color& color, const Color& other) {
    return combineWithColor(color, other, 0.0, larger);
}

std::optional<Color> colorByDarkeningToColor(const Color& color, const Color& other) {
    return combineWithColor(color, other, 1.0, smaller);
}

Color colorWithRGBHex(uint32_t hex) {
    return Color::rgb(((hex >> 16) & 0xFF) / 255.0, ((hex >> 8) & 0xFF) / 255.0, (hex & 0xFF) / 255.0, 1.0);
}

std::optional<Color> colorWithHexString(std::string_view text) {
    Scanner scanner(text);
    auto hex = scanner.scanHexInt();
    if (!hex) return std::nullopt;
    return colorWithRGBHex(*hex);
}

std::optional<Color> colorWithString(std::string_view text) {
    Scanner scanner(text);
    if (!scanner.scanCharacter('{')) return std::nullopt;
    float values[4];
    size_t count = 0;
    auto first = scanner.scanFloat();
    if (!first) return std::nullopt;
    values[count++] = *first;
    while (!scanner.scanCharacter('}')) {
        if (count == 4) return std::nullopt;
        if (!scanner.scanCharacter(',')) return std::nullopt;
        auto next = scanner.scanFloat();
        if (!next) return std::nullopt;
        values[count++] = *next;
    }
    if (!scanner.atEnd()) return std::nullopt;
    if (count == 4) return Color::rgb(values[0], values[1], values[2], values[3]);
    if (count == 2) return Color::grey(values[0], values[1]);
    return std::nullopt;
}

std::optional<Color> colorWithName(std::string_view name) {
    NameCache& cache = nameCache();
    std::lock_guard guard(cache.lock);
    auto found = cache.entries.find(name);
    if (found != cache.entries.end()) return found->second;
    auto color = UIColor_Expanded_Support::searchForColorByName(name);
    cache.entries.emplace(std::string(name), color);
    return color;
}

Color randomColor() {
    auto component = [] { return static_cast<double>(::random()) / 2147483647.0; };
    double r = component();
    double g = component();
    double b = component();
    return Color::rgb(r, g, b, 1.0);
}

namespace detail {

bool nameIsCached(std::string_view name) {
    NameCache& cache = nameCache();
    std::lock_guard guard(cache.lock);
    return cache.entries.find(name) != cache.entries.end();
}

}  // namespace detail

}  // namespace UIColor_Expanded
