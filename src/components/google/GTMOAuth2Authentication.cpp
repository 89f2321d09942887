#include "components/google/GTMOAuth2Authentication.h"

#include "components/google/GTLJSONParser.h"
#include "components/google/GTLUtilities.h"
#include "components/google/GTMProperties.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/WallClock.h"
#include "platform/net/URLParsing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <strings.h>

namespace google {

using foundation::Dictionary;
using foundation::Value;

namespace {

// The text of a parameter value: strings as they are, numbers as written.
std::optional<std::string> textOf(const Value& value) {
    if (value.isString()) return value.asString();
    if (value.isNumber()) return value.numberDescription();
    return std::nullopt;
}

std::string formattedDate(foundation::Date date) {
    // A token answer may give any expiry: one past the calendar's years is
    // shown as its last second (a time_t out of range is undefined).
    constexpr double kFirst = -62135596800.0, kLast = 253402300799.0;  // 0001-01-01, 9999-12-31 23:59:59
    const double unixTime = date.unixTime();
    std::time_t seconds = static_cast<std::time_t>(std::isnan(unixTime) ? 0.0 : std::clamp(unixTime, kFirst, kLast));
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S +0000", &parts);
    return text;
}

}  // namespace

GTMOAuth2AuthenticationPtr GTMOAuth2Authentication::create() {
    return GTMOAuth2AuthenticationPtr(new GTMOAuth2Authentication());
}

GTMOAuth2AuthenticationPtr GTMOAuth2Authentication::authenticationWithServiceProvider(
    const std::string& serviceProvider, const std::string& tokenURL, const std::string& redirectURI,
    const std::string& clientID, const std::string& clientSecret) {
    auto auth = create();
    auth->setServiceProvider(serviceProvider);
    auth->tokenURL = tokenURL;
    auth->redirectURI = redirectURI;
    auth->clientID = clientID;
    auth->clientSecret = clientSecret;
    return auth;
}

std::optional<std::string> GTMOAuth2Authentication::stringParameter(std::string_view key) const {
    return textOf(parameters_.get(key));
}

void GTMOAuth2Authentication::setStringParameter(const std::string& key, std::optional<std::string> value) {
    if (value)
        parameters_.set(key, Value(std::move(*value)));
    else
        parameters_.remove(key);
}

std::optional<int64_t> GTMOAuth2Authentication::expiresIn() const {
    const Value& value = parameters_.get("expires_in");
    if (value.isNumber()) return value.asInt();
    if (value.isString()) {
        // The integer at the start of the text, as a lenient reader takes it.
        const std::string& text = value.asString();
        int64_t seconds = 0;
        const char* first = text.data();
        while (first < text.data() + text.size() && *first == ' ') ++first;
        std::from_chars(first, text.data() + text.size(), seconds);
        return seconds;
    }
    return std::nullopt;
}

void GTMOAuth2Authentication::setExpiresIn(std::optional<int64_t> seconds) {
    if (seconds)
        parameters_.set("expires_in", Value::integer(*seconds));
    else
        parameters_.remove("expires_in");
    updateExpirationDate();
}

void GTMOAuth2Authentication::updateExpirationDate() {
    std::optional<int64_t> seconds = expiresIn();
    if (seconds && *seconds != 0) {
        foundation::Date now = foundation::wallClockNow();
        expirationDate_ = foundation::Date{now.sinceReferenceDate + static_cast<double>(*seconds)};
    } else {
        expirationDate_.reset();
    }
}

std::optional<std::string> GTMOAuth2Authentication::authorizationToken() const {
    if (authorizationTokenKey) return stringParameter(*authorizationTokenKey);
    return accessToken();
}

void GTMOAuth2Authentication::setKeysForResponseDictionary(const std::optional<Dictionary>& dictionary) {
    if (!dictionary) return;
    // An old expiry must never outlive a new token.
    if (dictionary->contains("code") || dictionary->contains("access_token")) parameters_.remove("expires_in");

    const Value& newRefresh = dictionary->get("refresh_token");
    bool refreshTokenChanged = false;
    if (!newRefresh.isNull()) {
        std::optional<std::string> stored = refreshToken();
        refreshTokenChanged = !stored || textOf(newRefresh) != stored;
    }
    for (const auto& entry : *dictionary) parameters_.set(entry.first, entry.second);
    updateExpirationDate();

    if (refreshTokenChanged) foundation::NotificationCenter::defaultCenter().post(kGTMOAuth2RefreshTokenChanged, this);
}

void GTMOAuth2Authentication::setKeysForResponseString(const std::optional<std::string>& text) {
    setKeysForResponseDictionary(dictionaryWithResponseString(text));
}

void GTMOAuth2Authentication::setKeysForResponseJSONData(const foundation::Bytes& data) {
    setKeysForResponseDictionary(dictionaryWithJSONData(data));
}

std::string GTMOAuth2Authentication::persistenceResponseString() const {
    Dictionary kept;
    auto keep = [&](const char* key) {
        if (std::optional<std::string> value = stringParameter(key)) kept.set(key, Value(*value));
    };
    if (refreshToken())
        keep("refresh_token");
    else
        keep("access_token");
    for (const char* key : {"serviceProvider", "userID", "email", "isVerified", "scope"}) keep(key);
    return encodedQueryParametersForDictionary(kept);
}

void GTMOAuth2Authentication::reset() {
    for (const char* key :
         {"code", "access_token", "refresh_token", "assertion", "expires_in", "error", "email", "isVerified"})
        parameters_.remove(key);
    expirationDate_.reset();
    authorizationTokenKey.reset();
}

bool GTMOAuth2Authentication::canAuthorize() const {
    std::optional<std::string> token = refreshToken();
    if (!token) token = authorizationToken();
    return token && !token->empty();
}

bool GTMOAuth2Authentication::shouldRefreshAccessToken() const {
    auto isEmpty = [](const std::optional<std::string>& text) { return !text || text->empty(); };
    if (isEmpty(refreshToken()) && isEmpty(assertion()) && isEmpty(code())) return false;
    if (isEmpty(accessToken())) return true;
    if (!expirationDate_) return true;
    return expirationDate_->sinceReferenceDate - foundation::wallClockNow().sinceReferenceDate < 60.0;
}

bool GTMOAuth2Authentication::primeForRefresh() {
    if (!refreshToken()) return false;
    setAccessToken(std::nullopt);
    parameters_.remove("expires_in");
    expirationDate_.reset();
    setErrorString(std::nullopt);
    return true;
}

void GTMOAuth2Authentication::setProperty(const std::string& key, std::any value) {
    setPropertyInMap(properties_, key, std::move(value));
}

std::any GTMOAuth2Authentication::propertyForKey(const std::string& key) const {
    return propertyInMap(properties_, key);
}

std::string GTMOAuth2Authentication::description() const {
    std::vector<std::string> fields;
    auto secret = [&](const char* name, const std::optional<std::string>& value) {
        if (value) fields.push_back(std::string(name) + "=\"_snip_\"");
    };
    secret("accessToken", accessToken());
    secret("refreshToken", refreshToken());
    secret("code", code());
    secret("assertion", assertion());
    if (expirationDate_) fields.push_back("expirationDate=\"" + formattedDate(*expirationDate_) + "\"");
    if (std::optional<std::string> error = errorString()) fields.push_back("errorString=\"" + *error + "\"");

    std::string joined;
    for (const std::string& field : fields) joined += (joined.empty() ? "" : ", ") + field;
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
    return "GTMOAuth2Authentication " + std::string(address) + ": {" + joined + "}";
}

std::string GTMOAuth2Authentication::userAgent() {
    const foundation::Bundle& bundle = foundation::Bundle::main();
    std::string identifier = bundle.bundleIdentifier();
    if (identifier.empty()) return "gtm-oauth2";
    std::string version = bundle.shortVersionString();
    if (version.empty()) version = bundle.bundleVersion();
    if (version.empty()) return "gtm-oauth2 " + identifier;
    return "gtm-oauth2 " + identifier + "/" + version;
}

// Form encoding.

std::optional<std::string> GTMOAuth2Authentication::encodedOAuthValueForString(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    return GTLUtilities::stringByURLEncodingForURI(*text);
}

std::string GTMOAuth2Authentication::encodedQueryParametersForDictionary(const Dictionary& dictionary) {
    std::vector<std::string> keys = dictionary.keys();
    std::stable_sort(keys.begin(), keys.end(),
                     [](const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) < 0; });
    std::string query;
    for (const std::string& key : keys) {
        if (!query.empty()) query += '&';
        query += *encodedOAuthValueForString(key) + "=" +
                 encodedOAuthValueForString(textOf(dictionary.get(key)).value_or("")).value_or("");
    }
    return query;
}

std::optional<std::string> GTMOAuth2Authentication::unencodedOAuthParameterForString(std::string_view text) {
    return net::percentDecoded(text);
}

std::optional<Dictionary> GTMOAuth2Authentication::dictionaryWithResponseString(
    const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    Dictionary result;
    std::string_view rest = *text;
    while (true) {
        size_t amp = rest.find('&');
        std::string_view piece = rest.substr(0, amp);
        size_t equals = piece.find('=');
        std::string_view rawKey = piece.substr(0, equals);
        std::string_view rawValue = equals == std::string_view::npos ? std::string_view() : piece.substr(equals + 1);
        std::optional<std::string> key = unencodedOAuthParameterForString(rawKey);
        std::optional<std::string> value = unencodedOAuthParameterForString(rawValue);
        // A piece with a broken escape or no key says nothing usable.
        if (key && value && !key->empty()) result.set(*key, Value(*value));
        if (amp == std::string_view::npos) break;
        rest = rest.substr(amp + 1);
    }
    return result;
}

std::optional<Dictionary> GTMOAuth2Authentication::dictionaryWithResponseData(const foundation::Bytes& data) {
    return dictionaryWithResponseString(std::string(data.begin(), data.end()));
}

std::optional<Dictionary> GTMOAuth2Authentication::dictionaryWithJSONData(const foundation::Bytes& data) {
    std::optional<Value> parsed = GTLJSONParser::objectWithData(data, nullptr);
    if (!parsed || !parsed->isDictionary()) return std::nullopt;
    return parsed->asDictionary();
}

std::string GTMOAuth2Authentication::scopeWithStrings(const std::vector<std::string>& scopes) {
    std::string joined;
    for (const std::string& scope : scopes) joined += (joined.empty() ? "" : " ") + scope;
    return joined;
}

}  // namespace google
