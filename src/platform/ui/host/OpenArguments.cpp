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

// Qt's own options whose value is the next argument.
constexpr std::array<std::string_view, 14> kOptionsWithValue = {
    "-platform",        "-platformpluginpath", "-platformtheme", "-plugin",
    "-qwindowgeometry", "-qwindowicon",        "-qwindowtitle",  "-session",
    "-display",         "-geometry",           "-title",         "-name",
    "-style",           "-stylesheet"};

bool takesValue(std::string_view option) {
    if (option.starts_with("--")) option.remove_prefix(1);
    for (std::string_view known : kOptionsWithValue)
        if (option == known) return true;
    return false;
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

}  // namespace

std::vector<std::string> urlsFromArguments(const std::vector<std::string>& arguments,
                                           const std::string& workingDirectory) {
    std::vector<std::string> urls;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.empty()) continue;
        if (argument.starts_with('-')) {
            if (argument.find('=') == std::string::npos && takesValue(argument)) ++i;
            continue;
        }
        fs::path file = fs::path(argument).is_absolute() ? fs::path(argument) : fs::path(workingDirectory) / argument;
        file = file.lexically_normal();
        std::error_code ignored;
        if (hasURLScheme(argument) && !fs::exists(file, ignored)) {
            urls.push_back(argument);
            continue;
        }
        // From the name's bytes: a name that is not UTF-8 still names its file.
        urls.push_back(foundation::path::toFileURL(file.string()));
    }
    return urls;
}

void activateWindows() {
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (!window->isVisible()) continue;
        window->raise();
        window->requestActivate();
    }
}

}  // namespace ui
