#include "app/screens/DropboxSessionSetup.h"

#include "app/share/ShareConfiguration.h"
#include "components/dropbox/DBConfiguration.h"
#include "components/dropbox/DBRequest.h"
#include "components/dropbox/DBSession.h"
#include "platform/ui/host/Application.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr const char* kDesktopEntry = "com.marrowick.tollivar.desktop";

// What `xdg-mime query default x-scheme-handler/<scheme>` names: the desktop
// entry that opens the scheme, empty when none or without xdg-mime.
std::string schemeHandler(const std::string& scheme) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string type = "x-scheme-handler/" + scheme;
    char* argv[] = {const_cast<char*>("xdg-mime"), const_cast<char*>("query"), const_cast<char*>("default"),
                    type.data(), nullptr};
    pid_t child = 0;
    int spawned = ::posix_spawnp(&child, "xdg-mime", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    std::string output;
    if (spawned == 0) {
        char buffer[256];
        ssize_t got;
        while ((got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0 && output.size() < 4096)
            output.append(buffer, static_cast<size_t>(got));
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    }
    ::close(pipeEnds[0]);
    while (!output.empty() && (output.back() == '\n' || output.back() == ' ')) output.pop_back();
    return output;
}

std::string schemeOf(const std::string& url) {
    size_t colon = url.find(':');
    return colon == std::string::npos ? std::string() : url.substr(0, colon);
}

}  // namespace

void installDropboxSession(ui::Application& application) {
    if (!ShareConfiguration::isDropboxConfigured()) return;
    const std::string key = ShareConfiguration::getDropboxAppKey();
    foundation::Dictionary settings = ShareConfiguration::merged().get(ShareConfiguration::kDropboxKey).asDictionary();
    DBConfiguration configuration;
    for (auto [name, host] :
         {std::pair{"APIHost", &configuration.apiHost}, std::pair{"ContentHost", &configuration.contentHost},
          std::pair{"WebHost", &configuration.webHost}})
        if (auto value = settings.get(name).stringValue(); value && !value->empty()) *host = *value;
    configuration.rootCertificates = DBRequest::rootCertificates();
    configuration.claimedSchemes = {"tollivar", "db-" + key};
    configuration.schemeRoutedHere = [](const std::string& scheme) { return schemeHandler(scheme) == kDesktopEntry; };
    configuration.canOpenURL = [](const std::string& url) { return !schemeHandler(schemeOf(url)).empty(); };
    configuration.openURL = [&application](const std::string& url) { return application.openURL(url); };
    DBConfiguration::setCurrent(std::move(configuration));
    DBSession::setSharedSession(std::make_shared<DBSession>(key, ShareConfiguration::getDropboxAppSecret(), "sandbox"));
}
