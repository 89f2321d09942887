#include "platform/ui/host/OpenArguments.h"

#include "platform/foundation/Paths.h"

#include <QGuiApplication>
#include <QWindow>
#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>

namespace ui {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kEndOfOptions = "--";

// How Qt reads an option it takes out of the command line. A value is the
// next argument, whatever it starts with.
enum class Takes { Alone, Value, RefusedAlone, RefusedValue };

// Qt 6 reads its options in passes, each over what the passes before it
// left, in this order. An option with two dashes is read as with one.
enum class Pass { Platform, X11Plugin, Core, Gui };
constexpr std::array kPasses = {Pass::Platform, Pass::X11Plugin, Pass::Core, Pass::Gui};

bool isX11(std::string_view platform) { return platform.starts_with("xcb"); }

// What a pass takes; `platform` is the platform chosen so far (the one Qt
// will start on, after the first pass).
std::optional<Takes> takenBy(Pass pass, std::string_view option, std::string_view platform) {
    auto among = [option](std::initializer_list<std::string_view> names) {
        return std::find(names.begin(), names.end(), option) != names.end();
    };
    switch (pass) {
        case Pass::Platform:
            // X11's names for the first window's geometry, title and icon count
            // only while the platform chosen so far is X11's.
            if (among({"-platform", "-platformpluginpath", "-platformtheme", "-qwindowgeometry", "-qwindowtitle",
                       "-qwindowicon"}) ||
                (isX11(platform) && among({"-geometry", "-title", "-icon"})))
                return Takes::Value;
            return std::nullopt;
        case Pass::X11Plugin:
            if (!isX11(platform)) return std::nullopt;
            if (among({"-display", "-name", "-visual"})) return Takes::Value;
            if (among({"-nograb", "-dograb"})) return Takes::Alone;
            return std::nullopt;
        case Pass::Core:
            if (option.starts_with("-qmljsdebugger=")) return Takes::Alone;
            return std::nullopt;
        case Pass::Gui:
            if (among({"-plugin", "-session"})) return Takes::Value;
            if (among({"-reverse", "-testability"})) return Takes::Alone;
            // Widget styles: there are none without widgets.
            if (option == "-style") return Takes::RefusedValue;
            if (option.starts_with("-style=")) return Takes::RefusedAlone;
            return std::nullopt;
    }
    return std::nullopt;
}

// Qt's reading of the arguments before "--", pass by pass: what it leaves
// (positions, in order) and what the launch refuses of what it takes. An
// option that takes a value and comes last in its pass is refused, whether
// Qt would take it alone or leave it.
struct QtReading {
    std::vector<size_t> left;
    std::vector<std::pair<size_t, RefusedArgument>> refused;
};

QtReading readAsQt(const std::vector<std::string>& arguments, size_t count, std::string platform) {
    QtReading reading;
    for (size_t i = 0; i < count; ++i) reading.left.push_back(i);
    for (Pass pass : kPasses) {
        std::vector<size_t> kept;
        for (size_t i = 0; i < reading.left.size(); ++i) {
            const size_t at = reading.left[i];
            std::string_view option = arguments[at];
            if (option.starts_with("--")) option.remove_prefix(1);
            const std::optional<Takes> takes = option.starts_with('-') ? takenBy(pass, option, platform) : std::nullopt;
            if (!takes) {
                kept.push_back(at);
                continue;
            }
            const bool refused = takes == Takes::RefusedAlone || takes == Takes::RefusedValue;
            if (refused) reading.refused.push_back({at, {arguments[at], RefusedArgument::Reason::Unknown}});
            if (takes == Takes::Alone || takes == Takes::RefusedAlone) continue;
            if (i + 1 == reading.left.size()) {
                if (!refused) reading.refused.push_back({at, {arguments[at], RefusedArgument::Reason::MissingValue}});
                continue;
            }
            ++i;
            if (option == "-platform") platform = arguments[reading.left[i]];
        }
        reading.left = std::move(kept);
    }
    return reading;
}

std::optional<std::string> variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

// "scheme:" as URLs begin: a letter, then letters, digits, "+", "-" or ".".
bool hasURLScheme(std::string_view text) {
    size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(text[0])))
        return false;
    for (char c : text.substr(0, colon)) {
        unsigned char u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

std::string urlFor(const std::string& argument, const std::string& workingDirectory) {
    fs::path file = fs::path(argument).is_absolute() ? fs::path(argument) : fs::path(workingDirectory) / argument;
    file = file.lexically_normal();
    std::error_code ignored;
    if (hasURLScheme(argument) && !fs::exists(file, ignored)) return argument;
    // From the name's bytes: a name that is not UTF-8 still names its file.
    return foundation::path::toFileURL(file.string());
}

}  // namespace

PlatformEnvironment PlatformEnvironment::current() {
    return {variable("QT_QPA_PLATFORM"), variable("WAYLAND_DISPLAY"), variable("XDG_SESSION_TYPE")};
}

std::string PlatformEnvironment::platform() const {
    if (qtPlatform && !qtPlatform->empty()) return *qtPlatform;
    if (waylandDisplay || sessionType == "wayland") return "wayland";
    return "xcb";
}

OpenArguments readOpenArguments(const std::vector<std::string>& arguments, const std::string& workingDirectory,
                                const PlatformEnvironment& environment) {
    OpenArguments read;
    const auto end = std::find(arguments.begin(), arguments.end(), kEndOfOptions);
    read.qtArgumentCount = size_t(end - arguments.begin());
    QtReading qt = readAsQt(arguments, read.qtArgumentCount, environment.platform());
    // What Qt leaves is a file, or an option of no one's; after "--" all are files.
    std::vector<size_t> files = std::move(qt.left);
    for (size_t i = read.qtArgumentCount + 1; i < arguments.size(); ++i) files.push_back(i);
    for (size_t at : files) {
        const std::string& argument = arguments[at];
        if (argument.empty())
            qt.refused.push_back({at, {argument, RefusedArgument::Reason::Empty}});
        else if (at < read.qtArgumentCount && argument.starts_with('-'))
            qt.refused.push_back({at, {argument, RefusedArgument::Reason::Unknown}});
        else
            read.urls.push_back(urlFor(argument, workingDirectory));
    }
    std::stable_sort(qt.refused.begin(), qt.refused.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [at, refusal] : qt.refused) read.refused.push_back(std::move(refusal));
    return read;
}

void activateWindows() {
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (!window->isVisible()) continue;
        window->raise();
        window->requestActivate();
    }
}

}  // namespace ui
