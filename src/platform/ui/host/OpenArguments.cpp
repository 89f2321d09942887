#include "platform/ui/host/OpenArguments.h"

#include "platform/foundation/Paths.h"

#include <QGuiApplication>
#include <QWindow>
#include <array>
#include <cctype>
#include <filesystem>
#include <string_view>

namespace ui {

namespace {

namespace fs = std::filesystem;

// The options Qt's Gui application and its platform plugins (the X11 one
// takes "-display" to "-visual") take out of the command line, with one dash
// or two.
constexpr std::array<std::string_view, 14> kOptionsWithValue = {
    "-platform",        "-platformpluginpath", "-platformtheme", "-plugin",
    "-qwindowgeometry", "-qwindowicon",        "-qwindowtitle",  "-session",
    "-display",         "-geometry",           "-title",         "-name",
    "-style",           "-visual"};
constexpr std::array<std::string_view, 4> kOptionsAlone = {"-reverse", "-testability", "-nograb", "-dograb"};
constexpr std::string_view kDebuggerOption = "-qmljsdebugger=";
constexpr std::string_view kEndOfOptions = "--";

enum class QtOption { None, Alone, WithValue };

QtOption qtOption(std::string_view option) {
    if (option.starts_with("--")) option.remove_prefix(1);
    for (std::string_view known : kOptionsWithValue)
        if (option == known) return QtOption::WithValue;
    for (std::string_view known : kOptionsAlone)
        if (option == known) return QtOption::Alone;
    return option.starts_with(kDebuggerOption) ? QtOption::Alone : QtOption::None;
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

OpenArguments readOpenArguments(const std::vector<std::string>& arguments, const std::string& workingDirectory) {
    OpenArguments read;
    read.qtArgumentCount = arguments.size();
    bool options = true;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (options && argument == kEndOfOptions) {
            options = false;
            read.qtArgumentCount = i;
            continue;
        }
        if (options && (argument.empty() || argument.starts_with('-'))) {
            QtOption option = qtOption(argument);
            if (option == QtOption::WithValue && i + 1 < arguments.size())
                ++i;
            else if (option != QtOption::Alone)
                read.refused.push_back(argument);
            continue;
        }
        if (argument.empty()) {
            read.refused.push_back(argument);
            continue;
        }
        read.urls.push_back(urlFor(argument, workingDirectory));
    }
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
