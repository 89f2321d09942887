// The XML property-list format, written the way the platform writes it (tab
// indentation, the platform's DOCTYPE) and read by a small, strict parser: no
// external entities or entity declarations are honoured, nesting is limited.

#include "platform/foundation/PropertyListCodecs.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <string_view>

namespace foundation::plist::codec {

namespace {

constexpr const char* kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n";

constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t kBase64LineLength = 68;

// ---- calendar arithmetic (proleptic Gregorian, valid far beyond time_t) ------

constexpr int64_t kDaysFrom0000To2001 = 730791;  // 2001-01-01 counted from 0000-03-01

int64_t daysFromCivil(int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    int64_t era = (year >= 0 ? year : year - 399) / 400;
    unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<int64_t>(dayOfEra);
}

void civilFromDays(int64_t days, int64_t& year, unsigned& month, unsigned& day) {
    int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    unsigned mp = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int64_t>(yearOfEra) + era * 400 + (month <= 2);
}

// ---- the characters XML can hold ----------------------------------------------

// XML 1.0 holds tab, line feed, carriage return and the characters from
// U+0020 on, except U+FFFE and U+FFFF (surrogates never reach here: they are
// not valid UTF-8). Writer and reader apply this one rule, as python's
// plistlib does, so that whatever is read can be written again.
bool isXmlCharacter(uint32_t cp) {
    if (cp < 0x20) return cp == '\t' || cp == '\n' || cp == '\r';
    return cp != 0xFFFE && cp != 0xFFFF;
}

// For valid UTF-8: the first character XML cannot hold, if any.
std::optional<uint32_t> firstNonXmlCharacter(std::string_view utf8) {
    for (size_t i = 0; i < utf8.size(); ++i) {
        auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x20 && !isXmlCharacter(byte)) return byte;
        // U+FFFE and U+FFFF are EF BF BE and EF BF BF.
        if (byte == 0xEF && utf8.size() - i >= 3 && static_cast<unsigned char>(utf8[i + 1]) == 0xBF &&
            (static_cast<unsigned char>(utf8[i + 2]) & 0xFE) == 0xBE) {
            return 0xFF00u | static_cast<unsigned char>(utf8[i + 2]);
        }
    }
    return std::nullopt;
}

std::string characterName(uint32_t cp) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", cp);
    return buffer;
}

// ---- writing ------------------------------------------------------------------

class XmlWriter {
public:
    Result<Bytes> write(const Value& root) {
        out_ = kHeader;
        writeValue(root, 0);
        if (failure_) return *failure_;
        out_ += "</plist>\n";
        return Bytes(out_.begin(), out_.end());
    }

private:
    void fail(const std::string& detail) {
        if (!failure_) failure_ = writeError(detail);
    }

    void indent(int depth) { out_.append(static_cast<size_t>(depth), '\t'); }

    void writeEscaped(const std::string& text) {
        if (!isValidUtf8(text)) return fail("a string is not valid UTF-8");
        if (auto bad = firstNonXmlCharacter(text))
            return fail("a string contains the character " + characterName(*bad) + ", which XML cannot hold");
        size_t runStart = 0;
        auto flush = [&](size_t end) { out_.append(text, runStart, end - runStart); };
        for (size_t i = 0; i < text.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(text[i]);
            const char* replacement = nullptr;
            switch (c) {
                case '&':
                    replacement = "&amp;";
                    break;
                case '<':
                    replacement = "&lt;";
                    break;
                case '>':
                    replacement = "&gt;";
                    break;
                // A raw CR would be read back as LF by every XML reader.
                case '\r':
                    replacement = "&#13;";
                    break;
                default:
                    continue;
            }
            flush(i);
            out_ += replacement;
            runStart = i + 1;
        }
        flush(text.size());
    }

    void writeData(const Bytes& data, int depth) {
        out_ += "<data>\n";
        size_t lineLength = 0;
        indent(depth);
        for (size_t i = 0; i < data.size(); i += 3) {
            uint32_t chunk = static_cast<uint32_t>(data[i]) << 16;
            if (i + 1 < data.size()) chunk |= static_cast<uint32_t>(data[i + 1]) << 8;
            if (i + 2 < data.size()) chunk |= data[i + 2];
            char quad[4] = {kBase64Alphabet[(chunk >> 18) & 63], kBase64Alphabet[(chunk >> 12) & 63],
                            i + 1 < data.size() ? kBase64Alphabet[(chunk >> 6) & 63] : '=',
                            i + 2 < data.size() ? kBase64Alphabet[chunk & 63] : '='};
            if (lineLength == kBase64LineLength) {
                out_ += '\n';
                indent(depth);
                lineLength = 0;
            }
            out_.append(quad, 4);
            lineLength += 4;
        }
        if (!data.empty()) {
            out_ += '\n';
            indent(depth);
        }
        out_ += "</data>\n";
    }

    void writeDate(Date date) {
        double seconds = std::floor(date.sinceReferenceDate);
        // Years beyond 0001…9999 have no form in the four-digit XML date.
        if (!std::isfinite(seconds) || std::fabs(seconds) > 4.0e11) return fail("a date is out of range");
        int64_t total = static_cast<int64_t>(seconds);
        int64_t days = total / 86400, rest = total % 86400;
        if (rest < 0) {
            rest += 86400;
            --days;
        }
        int64_t year;
        unsigned month, day;
        civilFromDays(days + kDaysFrom0000To2001, year, month, day);
        if (year < 1 || year > 9999) return fail("a date is out of range");
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "<date>%04d-%02u-%02uT%02d:%02d:%02dZ</date>\n", static_cast<int>(year),
                      month, day, static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                      static_cast<int>(rest % 60));
        out_ += buffer;
    }

    void writeReal(double value) {
        out_ += "<real>";
        if (std::isnan(value)) {
            out_ += "nan";
        } else if (std::isinf(value)) {
            out_ += value > 0 ? "inf" : "-inf";
        } else {
            char buffer[64];
            auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
            out_.append(buffer, end);
        }
        out_ += "</real>\n";
    }

    void writeValue(const Value& value, int depth) {
        if (failure_) return;
        if (depth > kMaximumDepth) return fail("nesting is too deep or contains a cycle");
        indent(depth);
        switch (value.type()) {
            case Value::Type::Null:
                return fail("null has no property-list representation");
            case Value::Type::Object:
                return fail("a native object has no property-list representation");
            case Value::Type::Boolean:
                out_ += value.asBool() ? "<true/>\n" : "<false/>\n";
                return;
            case Value::Type::Integer:
                out_ += "<integer>";
                out_ += value.isUnsigned() ? std::to_string(value.asUInt()) : std::to_string(value.asInt());
                out_ += "</integer>\n";
                return;
            case Value::Type::Real:
                return writeReal(value.asDouble());
            case Value::Type::String:
                out_ += "<string>";
                writeEscaped(value.asString());
                out_ += "</string>\n";
                return;
            case Value::Type::Data:
                return writeData(value.asData(), depth);
            case Value::Type::Date:
                return writeDate(*value.asDate());
            case Value::Type::Uid:
                out_ += "<dict>\n";
                indent(depth + 1);
                out_ += "<key>";
                out_ += kUidKey;
                out_ += "</key>\n";
                indent(depth + 1);
                out_ += "<integer>" + std::to_string(value.asUid()) + "</integer>\n";
                indent(depth);
                out_ += "</dict>\n";
                return;
            case Value::Type::Array: {
                Array array = value.asArray();
                if (array.empty()) {
                    out_ += "<array/>\n";
                    return;
                }
                out_ += "<array>\n";
                for (const Value& element : array) writeValue(element, depth + 1);
                indent(depth);
                out_ += "</array>\n";
                return;
            }
            case Value::Type::Dictionary: {
                Dictionary dictionary = value.asDictionary();
                if (dictionary.empty()) {
                    out_ += "<dict/>\n";
                    return;
                }
                out_ += "<dict>\n";
                for (const auto& [key, element] : dictionary) {
                    indent(depth + 1);
                    out_ += "<key>";
                    writeEscaped(key);
                    out_ += "</key>\n";
                    writeValue(element, depth + 1);
                }
                indent(depth);
                out_ += "</dict>\n";
                return;
            }
        }
    }

    std::string out_;
    std::optional<Error> failure_;
};

// ---- reading ------------------------------------------------------------------

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == ':' ||
           c == '-' || c == '.';
}

int base64Digit(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+' || c == '-') return 62;
    if (c == '/' || c == '_') return 63;
    return -1;
}

class XmlReader {
public:
    XmlReader(const uint8_t* data, size_t size)
        : start_(reinterpret_cast<const char*>(data)), p_(start_), end_(start_ + size) {}

    Value read() {
        if (end_ - p_ >= 3 && std::memcmp(p_, "\xEF\xBB\xBF", 3) == 0) p_ += 3;
        skipMisc();
        if (p_ == end_) throw Corrupt{"no property list found"};
        Tag tag = openTag();
        Value result;
        if (tag.name == "plist") {
            if (tag.selfClosing) throw Corrupt{"the property list is empty"};
            skipMisc();
            if (startsWith("</")) throw Corrupt{"the property list is empty"};
            result = element(openTag(), 1);
            skipMisc();
            closeTag("plist");
        } else {
            result = element(tag, 0);
        }
        skipMisc();
        if (p_ != end_) throw Corrupt{"unexpected content after the property list"};
        return result;
    }

private:
    struct Tag {
        std::string_view name;
        bool selfClosing = false;
    };

    [[noreturn]] void corrupt(const std::string& what) const {
        size_t line = 1;
        for (const char* q = start_; q < p_ && q < end_; ++q) line += *q == '\n';
        throw Corrupt{what + " on line " + std::to_string(line)};
    }

    bool startsWith(std::string_view text) const {
        return static_cast<size_t>(end_ - p_) >= text.size() && std::memcmp(p_, text.data(), text.size()) == 0;
    }

    void skipPast(std::string_view terminator) {
        for (const char* q = p_; end_ - q >= static_cast<ptrdiff_t>(terminator.size()); ++q) {
            if (std::memcmp(q, terminator.data(), terminator.size()) == 0) {
                p_ = q + terminator.size();
                return;
            }
        }
        corrupt("unterminated markup");
    }

    void skipSpace() {
        while (p_ < end_ && isSpace(*p_)) ++p_;
    }

    // Whitespace, comments, processing instructions and the document type;
    // the document type's internal subset is skipped, never interpreted.
    void skipMisc() {
        for (;;) {
            skipSpace();
            if (startsWith("<!--")) {
                skipPast("-->");
            } else if (startsWith("<?")) {
                skipPast("?>");
            } else if (startsWith("<!DOCTYPE")) {
                int brackets = 0;
                for (; p_ < end_; ++p_) {
                    if (*p_ == '[')
                        ++brackets;
                    else if (*p_ == ']')
                        --brackets;
                    else if (*p_ == '>' && brackets <= 0)
                        break;
                }
                if (p_ == end_) corrupt("unterminated document type");
                ++p_;
            } else {
                return;
            }
        }
    }

    Tag openTag() {
        if (p_ == end_ || *p_ != '<') corrupt("expected an element");
        ++p_;
        const char* nameStart = p_;
        while (p_ < end_ && isNameChar(*p_)) ++p_;
        Tag tag{std::string_view(nameStart, static_cast<size_t>(p_ - nameStart))};
        if (tag.name.empty()) corrupt("expected an element name");
        // Attributes carry nothing a property list needs.
        while (p_ < end_ && *p_ != '>') {
            if (*p_ == '"' || *p_ == '\'') {
                const char* close =
                    static_cast<const char*>(std::memchr(p_ + 1, *p_, static_cast<size_t>(end_ - p_ - 1)));
                if (!close) corrupt("unterminated attribute");
                p_ = close;
            } else if (*p_ == '<') {
                corrupt("malformed element");
            }
            ++p_;
        }
        if (p_ == end_) corrupt("unterminated element");
        tag.selfClosing = p_[-1] == '/';
        ++p_;
        return tag;
    }

    void closeTag(std::string_view name) {
        if (!startsWith("</")) corrupt("expected </" + std::string(name) + ">");
        p_ += 2;
        if (!startsWith(name)) corrupt("expected </" + std::string(name) + ">");
        p_ += name.size();
        skipSpace();
        if (p_ == end_ || *p_ != '>') corrupt("expected </" + std::string(name) + ">");
        ++p_;
    }

    void entity(std::string& out) {
        const char* semicolon = static_cast<const char*>(std::memchr(p_, ';', std::min<size_t>(end_ - p_, 12)));
        if (!semicolon) corrupt("malformed entity");
        std::string_view name(p_ + 1, static_cast<size_t>(semicolon - p_ - 1));
        p_ = semicolon + 1;
        if (name == "lt")
            out += '<';
        else if (name == "gt")
            out += '>';
        else if (name == "amp")
            out += '&';
        else if (name == "quot")
            out += '"';
        else if (name == "apos")
            out += '\'';
        else if (name.size() > 1 && name[0] == '#') {
            bool hex = name[1] == 'x';
            std::string_view digits = name.substr(hex ? 2 : 1);
            uint32_t cp = 0;
            auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
            if (digits.empty() || ec != std::errc() || ptr != digits.data() + digits.size() || cp > 0x10FFFF ||
                (cp >= 0xD800 && cp <= 0xDFFF)) {
                corrupt("bad character reference");
            }
            if (!isXmlCharacter(cp))
                corrupt("a reference to the character " + characterName(cp) + ", which XML cannot hold");
            appendUtf8(out, cp);
        } else {
            corrupt("unknown entity &" + std::string(name) + ";");
        }
    }

    // Character data up to the next element tag; comments and CDATA sections
    // inside it are handled, line ends are normalised as XML requires.
    std::string text() {
        std::string out;
        while (p_ < end_) {
            const char* run = p_;
            while (p_ < end_ && *p_ != '<' && *p_ != '&' && *p_ != '\r') ++p_;
            out.append(run, p_);
            if (p_ == end_) break;
            if (*p_ == '&') {
                entity(out);
            } else if (*p_ == '\r') {
                out += '\n';
                ++p_;
                if (p_ < end_ && *p_ == '\n') ++p_;
            } else if (startsWith("<![CDATA[")) {
                const char* body = p_ + 9;
                skipPast("]]>");
                out.append(body, p_ - 3);
            } else if (startsWith("<!--")) {
                skipPast("-->");
            } else {
                break;
            }
        }
        return out;
    }

    std::string textElement(const Tag& tag) {
        if (tag.selfClosing) return std::string();
        std::string content = text();
        closeTag(tag.name);
        return content;
    }

    static std::string_view trimmed(const std::string& s) {
        size_t a = 0, b = s.size();
        while (a < b && isSpace(s[a])) ++a;
        while (b > a && isSpace(s[b - 1])) --b;
        return std::string_view(s).substr(a, b - a);
    }

    Value integer(std::string_view s) {
        bool negative = !s.empty() && s[0] == '-';
        std::string_view digits = (!s.empty() && (s[0] == '-' || s[0] == '+')) ? s.substr(1) : s;
        int base = 10;
        if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
            digits.remove_prefix(2);
            base = 16;
        }
        uint64_t magnitude = 0;
        auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
        if (digits.empty() || ec != std::errc() || ptr != digits.data() + digits.size()) {
            corrupt("bad or out-of-range integer \"" + std::string(s) + "\"");
        }
        if (negative) {
            if (magnitude > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + 1) {
                corrupt("integer out of range \"" + std::string(s) + "\"");
            }
            return Value::integer(static_cast<int64_t>(0 - magnitude));
        }
        return Value(static_cast<unsigned long long>(magnitude));
    }

    Value real(std::string_view s) {
        if (!s.empty() && s[0] == '+') s.remove_prefix(1);
        double value = 0;
        auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
        if (s.empty() || ptr != s.data() + s.size() || (ec != std::errc() && ec != std::errc::result_out_of_range)) {
            corrupt("bad real \"" + std::string(s) + "\"");
        }
        if (ec == std::errc::result_out_of_range) value = std::strtod(std::string(s).c_str(), nullptr);
        return Value(value);
    }

    Value date(std::string_view s) {
        // YYYY-MM-DDTHH:MM:SS[.fraction]Z; trailing fields may be left out.
        int fields[6] = {0, 1, 1, 0, 0, 0};
        static constexpr char kSeparators[] = "--T::";
        size_t i = 0;
        int field = 0;
        for (; field < 6; ++field) {
            size_t width = field == 0 ? 4 : 2;
            if (s.size() - i < width) break;
            int v = 0;
            for (size_t k = 0; k < width; ++k) {
                char c = s[i + k];
                if (c < '0' || c > '9') corrupt("bad date \"" + std::string(s) + "\"");
                v = v * 10 + (c - '0');
            }
            fields[field] = v;
            i += width;
            if (field < 5 && i < s.size() && s[i] == kSeparators[field]) {
                ++i;
                continue;
            }
            ++field;
            break;
        }
        double fraction = 0;
        if (field == 6 && i < s.size() && s[i] == '.') {
            size_t begin = i;
            ++i;
            while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
            fraction = std::strtod(std::string(s.substr(begin, i - begin)).c_str(), nullptr);
        }
        if (i + 1 != s.size() || s[i] != 'Z' || fields[1] < 1 || fields[1] > 12 || fields[2] < 1 || fields[2] > 31 ||
            fields[3] > 23 || fields[4] > 59 || fields[5] > 60) {
            corrupt("bad date \"" + std::string(s) + "\"");
        }
        int64_t days = daysFromCivil(fields[0], static_cast<unsigned>(fields[1]), static_cast<unsigned>(fields[2])) -
                       kDaysFrom0000To2001;
        double seconds = static_cast<double>(days * 86400 + fields[3] * 3600 + fields[4] * 60 + fields[5]) + fraction;
        return Value(Date{seconds});
    }

    Value data(const std::string& s) {
        Bytes bytes;
        bytes.reserve(s.size() * 3 / 4);
        uint32_t accumulator = 0;
        int bits = 0;
        bool padding = false;
        for (char c : s) {
            if (isSpace(c)) continue;
            if (c == '=') {
                padding = true;
                continue;
            }
            int digit = base64Digit(c);
            if (digit < 0 || padding) corrupt("bad base64 data");
            accumulator = (accumulator << 6) | static_cast<uint32_t>(digit);
            bits += 6;
            if (bits >= 8) {
                bits -= 8;
                bytes.push_back(static_cast<uint8_t>((accumulator >> bits) & 0xFF));
            }
        }
        return Value(std::move(bytes));
    }

    std::string verifiedUtf8(std::string text) {
        if (!isValidUtf8(text)) corrupt("a string is not valid UTF-8");
        if (auto bad = firstNonXmlCharacter(text))
            corrupt("a string contains the character " + characterName(*bad) + ", which XML cannot hold");
        return text;
    }

    Value dictionary(const Tag& tag, int depth) {
        Dictionary dictionary;
        if (tag.selfClosing) return dictionary;
        for (;;) {
            skipMisc();
            if (startsWith("</")) break;
            Tag keyTag = openTag();
            if (keyTag.name != "key") corrupt("expected <key> in a dictionary");
            std::string key = verifiedUtf8(textElement(keyTag));
            skipMisc();
            if (startsWith("</")) corrupt("a key has no value");
            dictionary.set(std::move(key), element(openTag(), depth + 1));
        }
        closeTag("dict");
        // The XML form of an archive UID.
        if (dictionary.size() == 1 && dictionary.contains(kUidKey)) {
            const Value& uid = dictionary.get(kUidKey);
            if (uid.isInteger() && (uid.isUnsigned() || uid.asInt() >= 0)) return Value::uid(uid.asUInt());
        }
        return dictionary;
    }

    Value array(const Tag& tag, int depth) {
        std::vector<Value> elements;
        if (tag.selfClosing) return Array();
        for (;;) {
            skipMisc();
            if (startsWith("</")) break;
            elements.push_back(element(openTag(), depth + 1));
        }
        closeTag("array");
        return Array(std::move(elements));
    }

    Value element(const Tag& tag, int depth) {
        if (depth > kMaximumDepth) corrupt("nesting is too deep");
        std::string_view name = tag.name;
        if (name == "dict") return dictionary(tag, depth);
        if (name == "array") return array(tag, depth);
        if (name == "string") return Value(verifiedUtf8(textElement(tag)));
        if (name == "integer") return integer(trimmed(textElement(tag)));
        if (name == "real") return real(trimmed(textElement(tag)));
        if (name == "true" || name == "false") {
            if (!trimmed(textElement(tag)).empty()) corrupt("a boolean has content");
            return Value(name == "true");
        }
        if (name == "date") return date(trimmed(textElement(tag)));
        if (name == "data") return data(textElement(tag));
        corrupt("unknown element <" + std::string(name) + ">");
    }

    const char* start_;
    const char* p_;
    const char* end_;
};

}  // namespace

Result<Value> parseXml(const uint8_t* data, size_t size) {
    return readGuarded([&] { return XmlReader(data, size).read(); });
}

Result<Bytes> serializeXml(const Value& value) { return XmlWriter().write(value); }

}  // namespace foundation::plist::codec
