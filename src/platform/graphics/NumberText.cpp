#include "platform/graphics/NumberText.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace graphics {

std::string formatNumber(double value) {
    if (value == 0) return "0";  // also for -0, which the platform prints as 0
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

namespace {

class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    void skipSpace() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    }
    bool expect(char c) {
        skipSpace();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    std::optional<double> number() {
        skipSpace();
        // std::from_chars rejects a leading '+', which strtod-style readers accept.
        size_t start = pos_;
        if (pos_ < text_.size() && text_[pos_] == '+') ++pos_;
        double value = 0;
        auto result = std::from_chars(text_.data() + pos_, text_.data() + text_.size(), value);
        if (result.ec != std::errc() || !std::isfinite(value)) {
            pos_ = start;
            return std::nullopt;
        }
        pos_ = static_cast<size_t>(result.ptr - text_.data());
        return value;
    }
    bool atEnd() {
        skipSpace();
        return pos_ == text_.size();
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

bool readGroup(Scanner& scanner, int count, std::vector<double>& out) {
    if (!scanner.expect('{')) return false;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !scanner.expect(',')) return false;
        auto value = scanner.number();
        if (!value) return false;
        out.push_back(*value);
    }
    return scanner.expect('}');
}

}  // namespace

std::optional<std::vector<double>> parseBracedNumbers(std::string_view text, const std::vector<int>& groups) {
    Scanner scanner(text);
    std::vector<double> numbers;
    bool ok = true;
    if (groups.size() == 1) {
        ok = readGroup(scanner, groups[0], numbers);
    } else {
        ok = scanner.expect('{');
        for (size_t i = 0; ok && i < groups.size(); ++i) {
            if (i > 0) ok = scanner.expect(',');
            if (ok) ok = readGroup(scanner, groups[i], numbers);
        }
        if (ok) ok = scanner.expect('}');
    }
    if (!ok || !scanner.atEnd()) return std::nullopt;
    return numbers;
}

}  // namespace graphics
