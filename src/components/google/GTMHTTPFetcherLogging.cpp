#include "components/google/GTMHTTPFetcherLogging.h"

#include "components/google/GTMHTTPFetcher.h"
#include "components/google/GTMLog.h"
#include "components/sbjson/SBJSON.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Utf8.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace google::GTMHTTPFetcherLogging {

namespace {

struct Settings {
    std::recursive_mutex mutex;
    bool enabled = false;
    bool toFile = true;
    std::optional<std::string> directory;
    std::optional<std::string> processName;
    std::optional<std::string> dateStamp;
    std::optional<std::string> runDirectory;
    int counter = 0;
    bool announced = false;
};

Settings& settings() {
    static Settings* shared = new Settings;
    return *shared;
}

constexpr const char* kSnip = "_snip_";
// Form fields whose values never reach a log.
constexpr const char* kSecretFormFields[] = {"client_secret", "refresh_token", "access_token", "code",
                                             "code_verifier", "assertion",     "Passwd"};
constexpr const char* kSecretJSONKeys[] = {"refresh_token", "access_token", "id_token"};

bool exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool makeDirectoryUpToPath(const std::string& path) {
    if (path.empty() || exists(path)) return !path.empty();
    size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0) makeDirectoryUpToPath(path.substr(0, slash));
    ::mkdir(path.c_str(), 0700);
    return exists(path);
}

// Written for the user alone, whatever the umask.
bool writeFile(const std::string& path, std::string_view text, bool append) {
    foundation::FileDescriptor file =
        foundation::FileDescriptor::open(path, O_WRONLY | O_CREAT | (append ? O_APPEND : O_TRUNC), 0600);
    bool ok = file && ::fchmod(file.get(), 0600) == 0 && foundation::writeAll(file.get(), text.data(), text.size());
    if (!ok) GTMLog("GTMHTTPFetcher logging write error:" + path + " (" + std::strerror(errno) + ")");
    return ok;
}

std::string htmlEscape(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string hostOf(const std::string& url) {
    size_t start = url.find("://");
    start = start == std::string::npos ? 0 : start + 3;
    size_t end = url.find_first_of("/?#", start);
    return url.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// The value of every `name=` that starts the text or follows "&" or "?".
std::string snipFormFields(std::string text) {
    for (const char* name : kSecretFormFields) {
        const std::string key = std::string(name) + "=";
        for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
            if (at > 0 && text[at - 1] != '&' && text[at - 1] != '?') continue;
            size_t valueStart = at + key.size();
            size_t valueEnd = text.find('&', valueStart);
            text.replace(valueStart, valueEnd == std::string::npos ? std::string::npos : valueEnd - valueStart, kSnip);
        }
    }
    return text;
}

void snipJSON(const foundation::Value& value) {
    if (!value.isDictionary()) return;
    foundation::Dictionary dictionary = value.asDictionary();
    for (const char* key : kSecretJSONKeys)
        if (dictionary.contains(key)) dictionary.set(key, foundation::Value(kSnip));
}

std::string contentTypeOf(const std::vector<std::pair<std::string, std::string>>& headers) {
    for (const auto& [name, value] : headers)
        if (net::HTTPHeaders::namesEqual(name, "Content-Type")) return value;
    return {};
}

std::string dateStampNow() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    std::strftime(text, sizeof text, "%-m-%d_%I-%M-%S%p", &local);
    return text;
}

}  // namespace

void setLoggingEnabled(bool enabled) {
    std::lock_guard lock(settings().mutex);
    settings().enabled = enabled;
}

bool isLoggingEnabled() {
    std::lock_guard lock(settings().mutex);
    return settings().enabled;
}

void setLoggingToFileEnabled(bool enabled) {
    std::lock_guard lock(settings().mutex);
    settings().toFile = enabled;
}

bool isLoggingToFileEnabled() {
    std::lock_guard lock(settings().mutex);
    return settings().toFile;
}

void setLoggingDirectory(std::string path) {
    std::lock_guard lock(settings().mutex);
    settings().directory = std::move(path);
    settings().runDirectory.reset();
}

std::string loggingDirectory() {
    std::lock_guard lock(settings().mutex);
    if (!settings().directory) settings().directory = foundation::Paths::documentsDirectory() + "/GTMHTTPDebugLogs";
    return *settings().directory;
}

void setLoggingProcessName(std::string name) {
    std::lock_guard lock(settings().mutex);
    settings().processName = std::move(name);
}

std::string loggingProcessName() {
    std::lock_guard lock(settings().mutex);
    if (!settings().processName) {
        std::string name = program_invocation_short_name;
        std::replace(name.begin(), name.end(), ' ', '_');
        settings().processName = name;
    }
    return *settings().processName;
}

void setLoggingDateStamp(std::string stamp) {
    std::lock_guard lock(settings().mutex);
    settings().dateStamp = std::move(stamp);
}

std::string loggingDateStamp() {
    std::lock_guard lock(settings().mutex);
    if (!settings().dateStamp) settings().dateStamp = dateStampNow();
    return *settings().dateStamp;
}

std::string processNameLogPrefix() { return loggingProcessName() + "_log_"; }
std::string symlinkNameSuffix() { return "_log_newest.html"; }
std::string htmlFileName() { return "aperçu_http_log.html"; }

std::string logDirectoryForCurrentRun() {
    std::lock_guard lock(settings().mutex);
    if (settings().runDirectory) return *settings().runDirectory;
    std::string base = loggingDirectory() + "/" + processNameLogPrefix() + loggingDateStamp();
    std::string path = base;
    if (isLoggingToFileEnabled()) {
        for (int suffix = 2; exists(path) && suffix <= 19; ++suffix) path = base + "_" + std::to_string(suffix);
        if (!makeDirectoryUpToPath(path)) return {};
    }
    settings().runDirectory = path;
    return path;
}

std::optional<std::string> formattedStringFromData(const foundation::Bytes& data, std::string_view contentType) {
    std::string text(data.begin(), data.end());
    if (contentType.starts_with("application/json") && data.size() >= 6) {
        sbjson::SBJSON json;
        if (std::optional<foundation::Value> object = json.objectWithString(text)) {
            snipJSON(*object);
            json.setHumanReadable(true);
            if (std::optional<std::string> pretty = json.stringWithObject(*object)) return pretty;
        }
    }
    if (!foundation::isValidUtf8(text)) return std::nullopt;
    return text;
}

std::string stringFromRequestBody(const foundation::Bytes& data, std::string_view contentType) {
    if (std::optional<std::string> text = formattedStringFromData(data, contentType)) {
        if (text->starts_with("--")) {
            // A multipart body: each part as text, or its size.
            std::string boundary = text->substr(0, text->find("\r\n"));
            std::string out;
            size_t at = 0;
            while ((at = text->find(boundary, at)) != std::string::npos) {
                size_t next = text->find(boundary, at + boundary.size());
                std::string part = text->substr(at, next == std::string::npos ? std::string::npos : next - at);
                out += snipFormFields(part);
                if (next == std::string::npos) break;
                at = next;
            }
            return out;
        }
        return snipFormFields(*text);
    }
    return "<<" + std::to_string(data.size()) + " bytes>>";
}

std::string headersStringForHeaders(const std::vector<std::pair<std::string, std::string>>& headers) {
    auto sorted = headers;
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string out;
    for (auto [name, value] : sorted) {
        if (net::HTTPHeaders::namesEqual(name, "Authorization")) {
            std::optional<std::string> cut = value;
            if (value.find("oauth_token=\"") != std::string::npos)
                cut = snipSubstringOfString(cut, "oauth_token=\"", "\"");
            for (const char* scheme : {"Bearer ", "OAuth ", "GoogleLogin auth="})
                if (cut->find(scheme) != std::string::npos) cut = snipSubstringOfString(cut, scheme, "\n");
            value = *cut;
        }
        out += "  " + name + ": " + value + "\n";
    }
    return out;
}

std::optional<std::string> snipSubstringOfString(const std::optional<std::string>& text, std::string_view start,
                                                 std::string_view end) {
    if (!text) return std::nullopt;
    size_t at = text->find(start);
    if (at == std::string::npos) return text;
    size_t from = at + start.size();
    size_t to = text->find(end, from);
    std::string cut = *text;
    cut.replace(from, to == std::string::npos ? std::string::npos : to - from, kSnip);
    return cut;
}

void logFetchWithError(GTMHTTPFetcher& fetcher, const std::optional<foundation::Error>& error) {
    std::lock_guard lock(settings().mutex);
    if (!isLoggingEnabled()) return;
    const std::string runDirectory = logDirectoryForCurrentRun();
    if (runDirectory.empty()) return;
    const int number = ++settings().counter;
    const bool toFile = isLoggingToFileEnabled();

    const net::URLRequest request = fetcher.request();
    const std::optional<net::HTTPURLResponse> response = fetcher.response();
    const std::string url = snipFormFields(request.url);
    std::vector<std::pair<std::string, std::string>> requestHeaders = request.headers.fields();
    std::vector<std::pair<std::string, std::string>> responseHeaders;
    if (response) responseHeaders = response->allHeaderFields.fields();
    const std::string responseType = contentTypeOf(responseHeaders);

    // Bodies.
    std::string requestBodyText;
    size_t requestBodyLength = request.httpBodyFile ? size_t(request.httpBodyFile->length) : request.httpBody.size();
    if (std::optional<std::string> replacement = fetcher.logRequestBody())
        requestBodyText = *replacement;
    else if (request.httpBodyFile)
        requestBodyText = "<<" + std::to_string(requestBodyLength) + " bytes from a file>>";
    else if (!request.httpBody.empty())
        requestBodyText = stringFromRequestBody(request.httpBody, contentTypeOf(requestHeaders));
    const bool toDownloadFile = fetcher.downloadPath().has_value();
    const foundation::Bytes body = fetcher.downloadedData();
    std::string responseBodyText;
    std::string responseFile;
    if (std::optional<std::string> replacement = fetcher.logResponseBody()) {
        responseBodyText = *replacement;
    } else if (toDownloadFile) {
        responseBodyText = "<<" + std::to_string(fetcher.downloadedLength()) + " bytes to file>>\n";
    } else if (std::optional<std::string> text = formattedStringFromData(body, responseType)) {
        responseBodyText = *text;
        if (toFile && (responseType == "application/atom+xml" || responseType.ends_with("/xml"))) {
            responseFile = "httpfetcher_" + std::to_string(number) + "_response.xml";
            writeFile(runDirectory + "/" + responseFile, *text, false);
        }
    } else {
        responseBodyText = "<<" + std::to_string(body.size()) + " bytes>>\n";
        for (auto [type, extension] : {std::pair{"image/jpeg", "jpg"}, {"image/gif", "gif"}, {"image/png", "png"}}) {
            if (toFile && responseType == type) {
                responseFile = "httpfetcher_" + std::to_string(number) + "_response." + extension;
                writeFile(runDirectory + "/" + responseFile,
                          std::string_view(reinterpret_cast<const char*>(body.data()), body.size()), false);
            }
        }
    }

    std::optional<std::string> redirectedFrom;
    if (fetcher.redirectedFromURL()) redirectedFrom = hostOf(*fetcher.redirectedFromURL());
    fetcher.setRedirectedFromURL(request.url);

    // The text record.
    std::ostringstream text;
    text << fetcher.comment() << "\n";
    if (redirectedFrom) text << "Redirected from " << *redirectedFrom << "\n";
    text << "Request: " << request.httpMethod << " " << url << "\n";
    text << "Request headers:\n" << headersStringForHeaders(requestHeaders) << "\n";
    text << "Request body: (" << requestBodyLength << " bytes)\n" << requestBodyText << "\n";
    text << "Response: status " << (response ? response->statusCode : 0) << "\n";
    text << "Response headers:\n" << headersStringForHeaders(responseHeaders) << "\n";
    text << "Response body: (" << (toDownloadFile ? fetcher.downloadedLength() : body.size()) << " bytes)\n"
         << responseBodyText << "\n";
    if (error) text << "Error: " << error->domain << " " << error->code << " " << error->description << "\n";
    fetcher.setLog(text.str());
    const std::string record = text.str() + std::string(59, '-') + "\n";
    if (!toFile) return;

    const std::string textFile = "httpfetcher_" + std::to_string(number) + ".txt";
    writeFile(runDirectory + "/" + textFile, record, false);

    // The index page entry.
    const std::string indexPath = runDirectory + "/" + htmlFileName();
    std::ostringstream html;
    if (!exists(indexPath)) {
        html << "<html><head><meta http-equiv=\"content-type\" content=\"text/html; charset=UTF-8\">"
             << "<title>" << htmlEscape(loggingProcessName() + " HTTP fetch log " + loggingDateStamp())
             << "</title></head><body>\n";
    }
    const bool authorized = request.headers.contains("Authorization");
    html << "<b>" << htmlEscape(loggingDateStamp()) << " " << htmlEscape(fetcher.comment()) << "</b> <a href=\""
         << textFile << "\">request/response log</a><br>\n";
    if (redirectedFrom) html << "<i>redirected from " << htmlEscape(*redirectedFrom) << "</i><br>\n";
    html << "<b>request:</b> " << htmlEscape(request.httpMethod) << " <code>" << htmlEscape(url) << "</code><br>\n";
    html << (authorized ? (request.url.starts_with("http:") ? "&#9888; authorized, non-SSL " : "authorized ") : "")
         << (request.headers.contains("Cookie") ? "cookies " : "")
         << (request.headers.contains("If-Match") ? "if-match " : "")
         << (request.headers.contains("If-None-Match") ? "if-none-match " : "");
    html << (requestHeaders.empty() ? std::string("headers: none")
                                    : "headers: " + std::to_string(requestHeaders.size()))
         << "<br>\n";
    if (requestBodyLength > 0) {
        std::string type = contentTypeOf(requestHeaders);
        html << "data: " << requestBodyLength << " bytes, <code>" << htmlEscape(type.empty() ? "<no type>" : type)
             << "</code><br>\n";
    }
    int status = response ? response->statusCode : 0;
    html << "<b>response:</b>&nbsp;&nbsp;status " << (status >= 400 ? "<b style=\"color:red\">" : "") << status
         << (status >= 400 ? "</b>" : "") << "<br>\n";
    if (response && response->url != request.url)
        html << "response URL: <code>" << htmlEscape(response->url) << "</code><br>\n";
    for (const auto& [name, value] : responseHeaders) {
        if (net::HTTPHeaders::namesEqual(name, "Set-Cookie")) html << "sets cookies ";
        if (net::HTTPHeaders::namesEqual(name, "Location")) html << "redirects ";
    }
    html << "headers: " << responseHeaders.size() << "<br>\n";
    if (error) html << "<b>Error:</b> " << htmlEscape(error->description) << " <br>\n";
    if (!responseFile.empty()) html << "data: <a href=\"" << responseFile << "\">" << responseFile << "</a><br>\n";
    html << "<br><hr><p>\n";
    writeFile(indexPath, html.str(), true);

    const std::string link = loggingDirectory() + "/" + loggingProcessName() + symlinkNameSuffix();
    ::unlink(link.c_str());
    if (::symlink(indexPath.c_str(), link.c_str()) != 0)
        GTMLog("GTMHTTPFetcher logging write error:" + link + " (" + std::strerror(errno) + ")");
    if (!settings().announced) {
        settings().announced = true;
        GTMLog("GTMHTTPFetcher logging to \"" + indexPath + "\"");
    }
}

}  // namespace google::GTMHTTPFetcherLogging
