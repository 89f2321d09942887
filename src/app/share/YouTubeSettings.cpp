#include "app/share/YouTubeSettings.h"

#include "components/google/GTMOAuth2SignIn.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"

namespace {

constexpr const char* kSettingsDomain = "YouTubeSettingsErrorDomain";

foundation::Error settingsError(const std::string& path, const std::string& problem) {
    return foundation::Error(kSettingsDomain, 1,
                             foundation::localizedFormat("The settings file %@ cannot be used: %@",
                                                         {foundation::Value(path), foundation::Value(problem)}));
}

}  // namespace

std::string YouTubeSettings::apiHost() const {
    std::string rest = apiURL.substr(apiURL.find("://") == std::string::npos ? 0 : apiURL.find("://") + 3);
    return rest.substr(0, rest.find('/'));
}

std::vector<std::string> YouTubeSettings::searchPaths() {
    std::vector<std::string> paths;
    if (auto bundled = foundation::Bundle::main().pathForResource("config/services.plist")) paths.push_back(*bundled);
    paths.push_back(foundation::path::appending(foundation::Paths::configDirectory(), "services.plist"));
    return paths;
}

foundation::Result<YouTubeSettings> YouTubeSettings::load() { return loadFrom(searchPaths()); }

foundation::Result<YouTubeSettings> YouTubeSettings::loadFrom(const std::vector<std::string>& paths) {
    YouTubeSettings settings;
    for (const std::string& path : paths) {
        if (!foundation::FileManager::defaultManager().fileExists(path)) continue;
        foundation::Result<foundation::Value> read = foundation::plist::readFile(path);
        if (!read) return settingsError(path, read.error().description);
        if (!read->isDictionary()) return settingsError(path, "it holds no dictionary");
        const foundation::Value& section = read->asDictionary().get("YouTube");
        if (section.isNull()) continue;
        if (!section.isDictionary()) return settingsError(path, "\"YouTube\" is no dictionary");
        const foundation::Dictionary fields = section.asDictionary();
        struct Field {
            const char* key;
            std::string* target;
            bool isAddress;
        };
        const Field known[] = {{"ClientID", &settings.clientID, false},
                               {"ClientSecret", &settings.clientSecret, false},
                               {"AccountsURL", &settings.accountsURL, true},
                               {"APIURL", &settings.apiURL, true}};
        for (const Field& field : known) {
            const foundation::Value& value = fields.get(field.key);
            if (value.isNull()) continue;
            if (!value.isString()) return settingsError(path, std::string("\"") + field.key + "\" is no text");
            std::string text = value.asString();
            if (field.isAddress) {
                while (!text.empty() && text.back() == '/') text.pop_back();
                if (text.rfind("https://", 0) != 0 || text.size() <= 8)
                    return settingsError(path, std::string("\"") + field.key + "\" is no https address");
            }
            *field.target = text;
        }
    }
    return settings;
}

void YouTubeSettings::applyToSignIn() const {
    google::GTMOAuth2Provider provider;
    provider.accountsBaseURL = accountsURL;
    provider.apiBaseURL = apiURL;
    std::string host = accountsURL.substr(8);
    host = host.substr(0, host.find_first_of(":/"));
    // The accounts host's own domain: the sign-in asks it for the e-mail.
    size_t dot = host.find('.');
    provider.domainSuffix = dot == std::string::npos ? host : host.substr(dot + 1);
    google::GTMOAuth2SignIn::setProvider(provider);
}
