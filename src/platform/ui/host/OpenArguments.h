#pragma once

// What a program was asked to open on its command line, and bringing it to
// the front when it is asked again.

#include <optional>
#include <string>
#include <vector>

namespace ui {

// What Qt reads of the environment to choose its platform plugin.
struct PlatformEnvironment {
    std::optional<std::string> qtPlatform;      // QT_QPA_PLATFORM
    std::optional<std::string> waylandDisplay;  // WAYLAND_DISPLAY
    std::optional<std::string> sessionType;     // XDG_SESSION_TYPE

    static PlatformEnvironment current();
    // The platform Qt starts from unless the command line names another, as
    // Qt 6 chooses it: QT_QPA_PLATFORM when it is not empty, else Wayland's
    // where a Wayland display is set or the session is a Wayland one, else
    // X11's ("xcb"). It may be a list ("xcb;offscreen"), tried in order.
    std::string platform() const;
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
// ("-platform offscreen", "-reverse", X11's "-display :1" only on X11, ...),
// so that no file is taken for an option's value that Qt does not read.
// "-style" is refused: Qt takes it, but a program without widgets has no
// styles, and the file after it would go unread.
OpenArguments readOpenArguments(const std::vector<std::string>& arguments, const std::string& workingDirectory,
                                const PlatformEnvironment& environment = PlatformEnvironment::current());

// Raises the application's windows and asks for the keyboard focus. Needs
// a QGuiApplication; does nothing without windows.
void activateWindows();

}  // namespace ui
