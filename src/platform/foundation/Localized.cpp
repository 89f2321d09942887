#include "platform/foundation/Localized.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Utf8.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace foundation {

// ---------------------------------------------------------------- tables

Result<StringTable> StringTable::load(const std::string& path) {
    auto contents = plist::readFile(path);
    if (!contents) return contents.error();
    if (!contents->isDictionary())
        return Error(kCocoaErrorDomain, plist::kReadCorruptError, "The string table " + path + " is not a dictionary.");
    return StringTable(contents->asDictionary());
}

std::string StringTable::lookup(std::string_view key) const {
    const Value& entry = entries_.get(key);
    // An empty translation is an unfinished one: the English text serves better than nothing.
    if (entry.isString() && !entry.asString().empty()) return entry.asString();
    return std::string(key);
}

namespace {

std::mutex& tableMutex() {
    static std::mutex mutex;
    return mutex;
}

std::optional<StringTable>& mainTable() {
    static std::optional<StringTable> table;
    return table;
}

StringTable loadMainTable() {
    std::string file =
        path::appending(path::appending(Bundle::main().resourcePath(), "strings"), currentLanguageCode() + ".plist");
    if (!FileManager::defaultManager().fileExists(file)) return StringTable();
    auto table = StringTable::load(file);
    if (!table) {
        std::fprintf(stderr, "Localized: %s\n", table.error().description.c_str());
        return StringTable();
    }
    return std::move(table).value();
}

// The language part of a locale name: "de_DE.UTF-8" → "de", "pt-BR" → "pt".
std::string languageOf(std::string_view locale) {
    std::string language(locale.substr(0, locale.find_first_of("_-.@:")));
    for (char& c : language) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    // One return path: GCC 12 misreports the move of a second one (-Wrestrict).
    if (language == "c" || language == "posix") language.clear();
    return language;
}

}  // namespace

std::string currentLanguageCode() {
    // LANGUAGE is a priority list; the first entry is the user's choice.
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (!value || !*value) continue;
        std::string language = languageOf(value);
        if (!language.empty()) return language;
    }
    return "en";
}

std::string localized(std::string_view english) {
    std::lock_guard lock(tableMutex());
    if (!mainTable()) mainTable() = loadMainTable();
    return mainTable()->lookup(english);
}

void reloadLocalizationTable() {
    std::lock_guard lock(tableMutex());
    mainTable().reset();
}

// ---------------------------------------------------------------- format

namespace {

std::string objectText(const Value& value) {
    switch (value.type()) {
        case Value::Type::String:
            return value.asString();
        case Value::Type::Boolean:
            return value.asBool() ? "1" : "0";
        case Value::Type::Integer:
        case Value::Type::Real:
            return value.numberDescription();
        case Value::Type::Null:
            return "(null)";
        default:
            return value.description();
    }
}

template <class T>
std::string printed(const std::string& directive, T argument) {
    int length = std::snprintf(nullptr, 0, directive.c_str(), argument);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), directive.c_str(), argument);
    text.resize(static_cast<size_t>(length));
    return text;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string format(std::string_view pattern, const std::vector<Value>& arguments) {
    static const Value kMissing;
    size_t nextArgument = 0;
    auto argumentAt = [&](size_t index) -> const Value& {
        return index < arguments.size() ? arguments[index] : kMissing;
    };

    std::string out;
    size_t i = 0;
    while (i < pattern.size()) {
        char c = pattern[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        size_t start = i++;
        if (i < pattern.size() && pattern[i] == '%') {
            out += '%';
            ++i;
            continue;
        }

        // Optional position "n$".
        std::optional<size_t> position;
        size_t scan = i;
        size_t number = 0;
        while (scan < pattern.size() && isDigit(pattern[scan])) number = number * 10 + (pattern[scan++] - '0');
        if (scan > i && scan < pattern.size() && pattern[scan] == '$' && number > 0) {
            position = number - 1;
            i = scan + 1;
        }

        std::string directive = "%";
        while (i < pattern.size() && std::string_view("-+ #0'").find(pattern[i]) != std::string_view::npos)
            directive += pattern[i++];
        // A width or precision: "*" takes it from the next argument.
        auto copyCount = [&] {
            if (i < pattern.size() && pattern[i] == '*') {
                directive += std::to_string(argumentAt(nextArgument++).asInt());
                ++i;
            }
            while (i < pattern.size() && isDigit(pattern[i])) directive += pattern[i++];
        };
        copyCount();
        if (i < pattern.size() && pattern[i] == '.') {
            directive += pattern[i++];
            copyCount();
        }
        while (i < pattern.size() && std::string_view("hlqzjtL").find(pattern[i]) != std::string_view::npos) ++i;
        if (i >= pattern.size()) {
            out.append(pattern.substr(start));
            break;
        }
        char conversion = pattern[i++];
        auto take = [&]() -> const Value& { return argumentAt(position ? *position : nextArgument++); };

        switch (conversion) {
            case '@': {
                size_t index = position ? *position : nextArgument++;
                if (index < arguments.size()) out += objectText(arguments[index]);
                break;
            }
            case 'd':
            case 'i':
                out += printed(directive + "lld", static_cast<long long>(take().asInt()));
                break;
            case 'u':
            case 'x':
            case 'X':
            case 'o': {
                const Value& value = take();
                unsigned long long bits =
                    value.isUnsigned() ? value.asUInt() : static_cast<unsigned long long>(value.asInt());
                out += printed(directive + "ll" + conversion, bits);
                break;
            }
            case 'f':
            case 'F':
            case 'e':
            case 'E':
            case 'g':
            case 'G':
            case 'a':
            case 'A':
                out += printed(directive + conversion, take().asDouble());
                break;
            case 's':
                out += printed(directive + "s", take().asString().c_str());
                break;
            case 'c':
            case 'C':
                appendUtf8(out, static_cast<uint32_t>(take().asInt()));
                break;
            default:
                out.append(pattern.substr(start, i - start));
                break;
        }
    }
    return out;
}

}  // namespace foundation
