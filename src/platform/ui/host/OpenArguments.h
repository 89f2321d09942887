#pragma once

// What a program was asked to open on its command line, and bringing it to
// the front when it is asked again.

#include <string>
#include <vector>

namespace ui {

// The files and URLs among the arguments (program name excluded), as URLs.
// Options are skipped, and so is the value of each of Qt's options that
// take one ("-platform offscreen"). A text with a URL scheme ("tollivar:x",
// "https://...") stays as it is unless a file of that name exists; every
// other argument is a path, resolved against `workingDirectory` when
// relative, and becomes a "file:" URL with every byte of its name that is
// not a letter, digit or one of "/-._~" percent-escaped (path::toFileURL),
// whatever its encoding.
std::vector<std::string> urlsFromArguments(const std::vector<std::string>& arguments,
                                           const std::string& workingDirectory);

// Raises the application's windows and asks for the keyboard focus. Needs
// a QGuiApplication; does nothing without windows.
void activateWindows();

}  // namespace ui
