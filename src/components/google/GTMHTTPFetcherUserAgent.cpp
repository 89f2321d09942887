#include "components/google/GTMHTTPFetcherUserAgent.h"

#include <cctype>
#include <cstdlib>
#include <map>
#include <mutex>
#include <sys/utsname.h>

namespace google {

namespace {

std::string processName() {
    const char* name = program_invocation_short_name;
    return name && *name ? name : "unknown";
}

std::string infoText(const foundation::Bundle& bundle, const char* key) {
    const foundation::Value value = bundle.objectForInfoDictionaryKey(key);
    return value.isString() ? value.asString() : std::string();
}

}  // namespace

std::optional<std::string> GTMCleanUserAgentToken(const std::optional<std::string>& token) {
    if (!token) return std::nullopt;
    static const std::string kRemoved = "()<>@;:/[]?={}\\\"";
    std::string cleaned;
    for (char c : *token) {
        if (c == ' ' || c == ',') c = '_';
        unsigned char u = static_cast<unsigned char>(c);
        if (std::isspace(u) || std::iscntrl(u) || kRemoved.find(c) != std::string::npos) continue;
        cleaned += c;
    }
    return cleaned;
}

std::string GTMDeviceUserAgentString() {
    static const std::string device = [] {
        utsname names{};
        if (::uname(&names) != 0) return std::string("unk/unk hw/unk");
        return *GTMCleanUserAgentToken(std::string(names.sysname)) + "/" + names.release + " hw/" +
               *GTMCleanUserAgentToken(std::string(names.machine));
    }();
    return device;
}

std::string GTMApplicationUserAgentID(const foundation::Bundle* bundle) {
    const foundation::Bundle& source = bundle ? *bundle : foundation::Bundle::main();
    static std::mutex mutex;
    static std::map<std::string, std::string> known;
    std::lock_guard lock(mutex);
    const std::string key = source.bundleIdentifier();
    if (auto found = known.find(key); found != known.end()) return found->second;

    std::string identifier = infoText(source, "GTMUserAgentID");
    if (identifier.empty()) identifier = key;
    if (identifier.empty()) identifier = "proc_" + processName();
    std::string agent = *GTMCleanUserAgentToken(identifier);
    std::string version = source.shortVersionString();
    if (version.empty()) version = source.bundleVersion();
    std::string cleanedVersion = *GTMCleanUserAgentToken(version);
    if (!cleanedVersion.empty()) agent += "/" + cleanedVersion;
    known[key] = agent;
    return agent;
}

}  // namespace google
