#include "platform/ui/host/OpenArguments.h"

#include "platform/foundation/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibrary>
#include <QPluginLoader>
#include <QWindow>
#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>
#include <sys/stat.h>

namespace ui {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kEndOfOptions = "--";
// What a platform plugin's metadata names as its interface, whatever its
// version.
constexpr const char* kPlatformPluginInterface = "org.qt-project.Qt.QPA.QPlatformIntegrationFactoryInterface";

// How Qt reads an option it takes out of the command line. A value is the
// next argument, whatever it starts with.
enum class Takes { Alone, Value, RefusedAlone, RefusedValue };

// Qt 6 reads its options in passes, each over what the passes before it
// left, in this order. An option with two dashes is read as with one.
enum class Pass { Platform, X11Plugin, Core, Gui };
constexpr std::array kPasses = {Pass::Platform, Pass::X11Plugin, Pass::Core, Pass::Gui};

// Where Qt is to look for its platform plugin, as far as the reading has got.
struct PlatformChoice {
    std::string platforms;  // "name:arguments;name..."
    std::string pluginFolder;
};

// Whether Qt tries X11's plugin: it tries the plugins of its list in order,
// by the name before any ":" in lower case, up to the first it gets going
// (a Wayland plugin goes only where a compositor answers). X11's plugin
// takes its options as soon as it is tried, also where it then finds no
// display and Qt goes on to the next.
bool triesX11Plugin(const PlatformChoice& choice, const PlatformEnvironment& environment) {
    std::string_view rest = choice.platforms;
    while (!rest.empty()) {
        const size_t end = std::min(rest.find(';'), rest.size());
        std::string name(rest.substr(0, std::min(rest.find(':'), end)));
        rest.remove_prefix(std::min(end + 1, rest.size()));
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        if (name.empty() || !environment.findsPlugin(name, choice.pluginFolder)) continue;
        if (name == "xcb") return true;
        if (!name.starts_with("wayland") || environment.waylandDisplayAnswers()) return false;
    }
    return false;
}

// What a pass takes; `platforms` is the platform list chosen so far (the
// one Qt will start from, after the first pass).
std::optional<Takes> takenBy(Pass pass, std::string_view option, std::string_view platforms, bool x11Plugin) {
    auto among = [option](std::initializer_list<std::string_view> names) {
        return std::find(names.begin(), names.end(), option) != names.end();
    };
    switch (pass) {
        case Pass::Platform:
            // X11's names for the first window's geometry, title and icon count
            // only while the list chosen so far begins with X11's, whatever
            // plugin Qt then starts.
            if (among({"-platform", "-platformpluginpath", "-platformtheme", "-qwindowgeometry", "-qwindowtitle",
                       "-qwindowicon"}) ||
                (platforms.starts_with("xcb") && among({"-geometry", "-title", "-icon"})))
                return Takes::Value;
            return std::nullopt;
        case Pass::X11Plugin:
            if (!x11Plugin) return std::nullopt;
            if (among({"-display", "-name", "-visual"})) return Takes::Value;
            if (among({"-nograb", "-dograb"})) return Takes::Alone;
            return std::nullopt;
        case Pass::Core:
            if (option.starts_with("-qmljsdebugger=")) return Takes::Alone;
            if (option == "-qmljsdebugger") return Takes::Value;
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

QtReading readAsQt(const std::vector<std::string>& arguments, size_t count, const PlatformEnvironment& environment) {
    QtReading reading;
    PlatformChoice choice{environment.platform(), environment.pluginFolder.value_or("")};
    for (size_t i = 0; i < count; ++i) reading.left.push_back(i);
    for (Pass pass : kPasses) {
        const bool x11Plugin = pass == Pass::X11Plugin && triesX11Plugin(choice, environment);
        std::vector<size_t> kept;
        for (size_t i = 0; i < reading.left.size(); ++i) {
            const size_t at = reading.left[i];
            std::string_view option = arguments[at];
            if (option.starts_with("--")) option.remove_prefix(1);
            const std::optional<Takes> takes =
                option.starts_with('-') ? takenBy(pass, option, choice.platforms, x11Plugin) : std::nullopt;
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
            if (option == "-platform") choice.platforms = arguments[reading.left[i]];
            if (option == "-platformpluginpath") choice.pluginFolder = arguments[reading.left[i]];
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
    return {variable("QT_QPA_PLATFORM"), variable("WAYLAND_DISPLAY"), variable("XDG_SESSION_TYPE"),
            variable("QT_QPA_PLATFORM_PLUGIN_PATH"), variable("XDG_RUNTIME_DIR")};
}

std::string PlatformEnvironment::platform() const {
    if (qtPlatform && !qtPlatform->empty()) return *qtPlatform;
    if (waylandDisplay || sessionType == "wayland") return "wayland;xcb";
    return "xcb";
}

bool PlatformEnvironment::waylandDisplayAnswers() const {
    const std::string name = waylandDisplay.value_or("wayland-0");
    if (!name.starts_with('/') && !runtimeDirectory) return false;
    const std::string socketPath = name.starts_with('/') ? name : *runtimeDirectory + "/" + name;
    struct stat status {};
    return ::stat(socketPath.c_str(), &status) == 0 && S_ISSOCK(status.st_mode);
}

bool PlatformEnvironment::qtFindsPlatformPlugin(const std::string& name, const std::string& pluginFolder) {
    // Where Qt looks: the folder it is given, then "platforms" in each of
    // its library folders; a plugin is known by the keys in its metadata
    // (read from the file, which is not loaded), not by its file name.
    QStringList folders;
    if (!pluginFolder.empty()) folders << QString::fromLocal8Bit(pluginFolder);
    for (const QString& library : QCoreApplication::libraryPaths()) folders << library + QStringLiteral("/platforms");
    const QString wanted = QString::fromStdString(name);
    for (const QString& folder : folders) {
        for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files)) {
            if (!QLibrary::isLibrary(file.fileName())) continue;
            const QJsonObject metaData = QPluginLoader(file.absoluteFilePath()).metaData();
            if (!metaData.value(QStringLiteral("IID")).toString().startsWith(QLatin1String(kPlatformPluginInterface)))
                continue;
            const QJsonArray keys =
                metaData.value(QStringLiteral("MetaData")).toObject().value(QStringLiteral("Keys")).toArray();
            for (const QJsonValue key : keys)
                if (key.toString().compare(wanted, Qt::CaseInsensitive) == 0) return true;
        }
    }
    return false;
}

OpenArguments readOpenArguments(const std::vector<std::string>& arguments, const std::string& workingDirectory,
                                const PlatformEnvironment& environment) {
    OpenArguments read;
    const auto end = std::find(arguments.begin(), arguments.end(), kEndOfOptions);
    read.qtArgumentCount = size_t(end - arguments.begin());
    QtReading qt = readAsQt(arguments, read.qtArgumentCount, environment);
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
