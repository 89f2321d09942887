#pragma once

// What a program was asked to open on its command line, and bringing it to
// the front when it is asked again.

#include <string>
#include <vector>

namespace ui {

// The command line (program name excluded), read once before Qt sees it.
struct OpenArguments {
    // The files and URLs to open. A text with a URL scheme ("tollivar:x",
    // "https://...") stays as it is unless a file of that name exists; every
    // other argument is a path, resolved against the working folder when
    // relative, and becomes a "file:" URL with every byte of its name that
    // is not a letter, digit or one of "/-._~" percent-escaped
    // (path::toFileURL), whatever its encoding.
    std::vector<std::string> urls;
    // Arguments that look like options but are none of Qt's (and empty
    // ones), in their order: the launch refuses them rather than guess.
    std::vector<std::string> refused;
    // How many arguments Qt may read: those before "--". What follows "--"
    // is a file or URL whatever it starts with.
    size_t qtArgumentCount = 0;
};

// Qt's own options ("-platform offscreen", "-reverse", ...) are left to Qt
// with their values.
OpenArguments readOpenArguments(const std::vector<std::string>& arguments, const std::string& workingDirectory);

// Raises the application's windows and asks for the keyboard focus. Needs
// a QGuiApplication; does nothing without windows.
void activateWindows();

}  // namespace ui
