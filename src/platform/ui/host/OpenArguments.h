#pragma once

// What a program was asked to open on its command line, and bringing it to
// the front when it is asked again.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ui {

// What Qt reads of the environment to choose its platform plugin.
struct PlatformEnvironment {
    // Whether Qt finds a platform plugin of this name (in lower case), in
    // `pluginFolder` when that is not empty or in its own plugin folders.
    // The default asks the installed Qt.
    using PluginFinder = std::function<bool(const std::string& name, const std::string& pluginFolder)>;
    static bool qtFindsPlatformPlugin(const std::string& name, const std::string& pluginFolder);

    std::optional<std::string> qtPlatform = {};        // QT_QPA_PLATFORM
    std::optional<std::string> waylandDisplay = {};    // WAYLAND_DISPLAY
    std::optional<std::string> sessionType = {};       // XDG_SESSION_TYPE
    std::optional<std::string> pluginFolder = {};      // QT_QPA_PLATFORM_PLUGIN_PATH
    std::optional<std::string> runtimeDirectory = {};  // XDG_RUNTIME_DIR
    PluginFinder findsPlugin = &qtFindsPlatformPlugin;

    static PlatformEnvironment current();
    // The platforms Qt tries in order unless the command line names others,
    // as Qt 6.4 lists them: QT_QPA_PLATFORM when it is not empty, else
    // "wayland;xcb" where a Wayland display is set (even empty) or the
    // session is a Wayland one, else X11's ("xcb").
    std::string platform() const;
    // Whether Qt's Wayland plugin would find a compositor: the socket
    // WAYLAND_DISPLAY names ("wayland-0" when it is not set), in the runtime
    // folder unless the name is a path. Without one the plugin gives up and
    // Qt tries the next platform of its list.
    bool waylandDisplayAnswers() const;
};

// An argument the launch refuses, and why.
struct RefusedArgument {
    enum class Reason {
        Empty,         // names no file
        Unknown,       // looks like an option but is none this program takes
        MissingValue,  // an option that takes a value came last
    };
    std::string argument;
    Reason reason = Reason::Unknown;
    bool operator==(const RefusedArgument&) const = default;
};

// The command line (program name excluded), read once before Qt sees it.
struct OpenArguments {
    // The files and URLs to open. A text with a URL scheme ("tollivar:x",
    // "https://...") stays as it is unless a file of that name exists; every
    // other argument is a path, resolved against the working folder when
    // relative, and becomes a "file:" URL with every byte of its name that
    // is not a letter, digit or one of "/-._~" percent-escaped
    // (path::toFileURL), whatever its encoding.
    std::vector<std::string> urls;
    // What the launch refuses rather than guess, in order.
    std::vector<RefusedArgument> refused;
    // How many arguments Qt may read: those before "--". What follows "--"
    // is a file or URL whatever it starts with.
    size_t qtArgumentCount = 0;
};

// Qt's own options are left to Qt with their values, exactly those that Qt
// takes out of the command line on the platform it will start on
// ("-platform offscreen", "-reverse", "-qmljsdebugger port:1", X11's
// "-display :1" only where Qt tries X11's plugin, ...), so that no file is
// taken for an option's value that Qt does not read.
// "-style" is refused: Qt takes it, but a program without widgets has no
// styles, and the file after it would go unread.
OpenArguments readOpenArguments(const std::vector<std::string>& arguments, const std::string& workingDirectory,
                                const PlatformEnvironment& environment = PlatformEnvironment::current());

// Raises the application's windows and asks for the keyboard focus. Needs
// a QGuiApplication; does nothing without windows.
void activateWindows();

}  // namespace ui
