// What the command line asks the application to open: files as "file:" URLs
// (relative ones taken from the folder the launch was made in), URLs as they
// stand, Qt's options and their values left to Qt, anything else that looks
// like an option refused, and after "--" files whatever their names.

#include "platform/ui/host/OpenArguments.h"
#include "support/ChildProcess.h"
#include "support/TempAppFolders.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace {

using Reason = ui::RefusedArgument::Reason;

ui::PlatformEnvironment on(const char* platform) { return {platform, std::nullopt, std::nullopt}; }
// A Wayland session, its display "wayland-0" in `runtimeFolder`, with or without Qt's Wayland plugin.
ui::PlatformEnvironment wayland(const std::string& runtimeFolder, bool plugin) {
    ui::PlatformEnvironment environment{std::nullopt, "wayland-0", "wayland", std::nullopt, runtimeFolder};
    environment.findsPlugin = [plugin](const std::string& name, const std::string&) {
        return plugin || name != "wayland";
    };
    return environment;
}

TEST(OpenArguments, FilesBecomeAbsoluteFileURLsAndOnlyQtsOptionsAreTaken) {
    testsupport::TempAppFolders folders;
    const std::string here = folders.root();
    // A file whose name looks like a URL is still a file; so is one that
    // looks like an option.
    std::ofstream(here + "/tollivar:odd.tollivarmobile") << "x";
    std::ofstream(here + "/-film.tollivarmobile") << "x";
    const std::string film = "file://" + here + "/-film.tollivarmobile";
    const auto file = [&](const char* name) { return "file://" + here + "/" + name; };
    const std::string served = here + "/served";  // a compositor's socket there; `here` has none
    std::filesystem::create_directory(served);
    ASSERT_EQ(::mknod((served + "/wayland-0").c_str(), S_IFSOCK | 0600, 0), 0);

    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> urls;
        std::vector<ui::RefusedArgument> refused = {};
        size_t qtArgumentCount = 0;  // 0: all of them
        ui::PlatformEnvironment environment = on("xcb");
    };
    const std::vector<Case> cases = {
        {{"film.tollivarmobile"}, {file("film.tollivarmobile")}},
        {{"./in/../Film 1.tollivarmobile"}, {file("Film%201.tollivarmobile")}},
        {{"/abs/a#b?.tollivarmobile"}, {"file:///abs/a%23b%3F.tollivarmobile"}},
        // A name in Latin-1 bytes, not UTF-8: the URL keeps its bytes.
        {{"/abs/Fr\351d\351ric.tollivarmobile"}, {"file:///abs/Fr%E9d%E9ric.tollivarmobile"}},
        {{"/abs/\xc3\xa9t\xc3\xa9.zip"}, {"file:///abs/%C3%A9t%C3%A9.zip"}},
        {{"-platform", "offscreen", "a.zip", "-reverse", "--session", "x", "-qmljsdebugger=port:1", "-plugin", "n",
          "b.zip"},
         {file("a.zip"), file("b.zip")}},
        {{"tollivar://open", "db-abc://1/connect", "https://example.com/x"},
         {"tollivar://open", "db-abc://1/connect", "https://example.com/x"}},
        {{"tollivar:odd.tollivarmobile"}, {file("tollivar%3Aodd.tollivarmobile")}},
        // Not Qt's: refused by name, even where a file of that name exists.
        {{"-film.tollivarmobile", "a.zip", "-platform=vnc", "", "-", "--help"},
         {file("a.zip")},
         {{"-film.tollivarmobile"}, {"-platform=vnc"}, {"", Reason::Empty}, {"-"}, {"--help"}}},
        // Qt takes a style, but without widgets nothing reads it: the file
        // after it would go unread.
        {{"-style", "x.tollivarmobile"}, {}, {{"-style"}}},
        {{"a.zip", "--style=fusion"}, {file("a.zip")}, {{"--style=fusion"}}},
        // An option that needs a value and comes last has none, also when
        // it comes last among what Qt reads in its pass.
        {{"x.tollivarmobile", "-platform"}, {file("x.tollivarmobile")}, {{"-platform", Reason::MissingValue}}},
        {{"-session", "--", "a.zip"}, {file("a.zip")}, {{"-session", Reason::MissingValue}}, 1},
        {{"-plugin", "-qwindowtitle", "a.zip"}, {}, {{"-plugin", Reason::MissingValue}}},
        // X11's options are Qt's only where it starts on X11.
        {{"-display", ":1", "a.zip"}, {file("%3A1"), file("a.zip")}, {{"-display"}}, 0, on("offscreen")},
        {{"-platform", "xcb", "-title", "T", "-display", "-name", "a.zip"}, {file("a.zip")}, {}, 0, on("wayland")},
        // ... or falls back to it from Wayland's, missing or without a
        // compositor. Qt's debugger port comes in either form.
        {{"-title", "T", "-name", "n", "x.zip"}, {file("T"), file("x.zip")}, {{"-title"}}, 0, wayland(served, false)},
        {{"-qmljsdebugger", "1", "-name", "n", "x"}, {file("n"), file("x")}, {{"-name"}}, 0, wayland(served, true)},
        {{"-name", "n", "x.zip"}, {file("x.zip")}, {}, 0, wayland(here, true)},
        {{"x.zip", "-qmljsdebugger"}, {file("x.zip")}, {{"-qmljsdebugger", Reason::MissingValue}}},
        // After "--" every argument is a file, and Qt sees none of them.
        {{"-reverse", "--", "-film.tollivarmobile", "-reverse", "--", ""},
         {film, file("-reverse"), file("--")},
         {{"", Reason::Empty}},
         1},
        {{"./-film.tollivarmobile", "-qwindowtitle", "--"}, {film}, {{"-qwindowtitle", Reason::MissingValue}}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.empty() ? "" : c.arguments.front());
        ui::OpenArguments read = ui::readOpenArguments(c.arguments, here, c.environment);
        EXPECT_EQ(read.urls, c.urls);
        EXPECT_EQ(read.refused, c.refused);
        EXPECT_EQ(read.qtArgumentCount, c.qtArgumentCount ? c.qtArgumentCount : c.arguments.size());
    }
}

TEST(OpenArguments, QtTriesWaylandThenX11InAWaylandSessionAndElseX11) {
    using Environment = ui::PlatformEnvironment;
    EXPECT_EQ((Environment{"offscreen", "wayland-0", "wayland"}).platform(), "offscreen");
    EXPECT_EQ((Environment{"", std::nullopt, "x11"}).platform(), "xcb");
    EXPECT_EQ((Environment{std::nullopt, "", "x11"}).platform(), "wayland;xcb") << "a Wayland display, even empty";
    EXPECT_EQ((Environment{std::nullopt, std::nullopt, "wayland"}).platform(), "wayland;xcb");
    EXPECT_EQ((Environment{std::nullopt, std::nullopt, std::nullopt}).platform(), "xcb");
}

// The reading agrees with Qt's own: Qt, made with the same command line,
// leaves exactly the files the launch opens and what it refuses. On
// "xcb;offscreen" without a display Qt reads the arguments as on X11 and
// then starts on the offscreen platform, so no display is needed. (The
// platform named by the environment wins over a Wayland session's.)
TEST(OpenArguments, WhatQtLeavesIsOpenedOrRefusedAndNothingElse) {
    testsupport::TempAppFolders folders;
    const std::vector<std::vector<std::string>> commandLines = {
        {"a", "-platform", "offscreen", "-reverse", "-qmljsdebugger=port:1", "-session", "s", "b"},
        {"-qwindowtitle", "-t", "a", "-plugin", "p", "-testability", "--platformtheme", "x", "b"},
        {"-title", "T", "a", "-display", "d", "-geometry", "1x1", "-icon", "i", "-visual", "1", "-dograb", "b"},
        {"-platform", "xcb;offscreen", "-title", "T", "a", "--name", "n", "-nograb", "b"},
        {"-title", "T", "-platform", "offscreen", "-display", "d", "a"},
        {"-display", "-title", "x", "a"},
        {"-title", "-plugin", "x"},
        {"-plugin", "-display", "x"},
        {"-display", "-qmljsdebugger=1", "x"},
        {"-session", "-reverse", "x", "-style", "s", "-style=t", "b"},
        {"x", "-platform"},
        {"-qmljsdebugger", "port:1", "-name", "n", "-title", "T", "a"},
        {"-qmljsdebugger", "-display", "d", "a", "--qmljsdebugger"},
    };
    for (const char* platform : {"offscreen", "xcb;offscreen", "wayland;xcb;offscreen"}) {
        for (const std::vector<std::string>& arguments : commandLines) {
            SCOPED_TRACE(std::string(platform) + ": " + arguments.front() + " " + arguments.back());
            std::vector<std::string> probe = {TOLLIVAR_QT_ARGUMENTS_PROBE};
            probe.insert(probe.end(), arguments.begin(), arguments.end());
            testsupport::ChildProcess::Options options;
            // WAYLAND_DISPLAY as the reading below is given it.
            options.environment = {"DISPLAY=", "QT_QPA_PLATFORM=" + std::string(platform),
                                   "WAYLAND_DISPLAY=/no/compositor", "ASAN_OPTIONS=detect_leaks=0",
                                   "QT_LOGGING_RULES=*=false"};
            options.captureOutput = true;
            auto child = testsupport::ChildProcess::spawn(probe, options);
            std::istringstream output(child.readOutput());
            ASSERT_EQ(child.wait(), 0);
            const ui::OpenArguments read =
                ui::readOpenArguments(arguments, folders.root(), {platform, "/no/compositor"});
            std::vector<std::string> opened;
            for (std::string left; std::getline(output, left);) {
                const bool refused = std::any_of(read.refused.begin(), read.refused.end(),
                                                 [&](const ui::RefusedArgument& r) { return r.argument == left; });
                if (!refused) opened.push_back("file://" + folders.root() + "/" + left);
            }
            EXPECT_EQ(read.urls, opened);
        }
    }
}

}  // namespace
