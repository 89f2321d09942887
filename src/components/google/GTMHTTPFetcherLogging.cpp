#include "components/google/GTMHTTPFetcherLogging.h"

#include "components/google/GTMHTTPFetcher.h"
#include "components/google/GTMLog.h"
#include "components/google/GTMNSStringHTMLAdditions.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Paths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace google::GTMHTTPFetcherLogging {

using GTMNSStringHTMLAdditions::gtm_stringByEscapingForHTML;

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

// A downloaded file larger than this is not copied into the log.
constexpr off_t kMaximumLoggedFileLength = off_t(64) << 20;

// Written for the user alone, whatever the umask.
bool writeFile(const std::string& path, std::string_view text, bool append) {
    foundation::FileDescriptor file =
        foundation::FileDescriptor::open(path, O_WRONLY | O_CREAT | (append ? O_APPEND : O_TRUNC), 0600);
    bool ok = file && ::fchmod(file.get(), 0600) == 0 && foundation::writeAll(file.get(), text.data(), text.size());
    if (!ok) GTMLog("GTMHTTPFetcher logging write error:" + path + " (" + std::strerror(errno) + ")");
    return ok;
}

std::string hostOf(const std::string& url) {
    size_t start = url.find("://");
    start = start == std::string::npos ? 0 : start + 3;
    size_t end = url.find_first_of("/?#", start);
    return url.substr(start, end == std::string::npos ? std::string::npos : end - start);
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

// The extension of the copy the log keeps of a response of this type:
// XML as text, pictures as they came; none for anything else.
std::optional<std::string> responseFileExtension(const std::string& type, bool isText) {
    if (isText) {
        if (type == "application/atom+xml" || type.ends_with("/xml")) return "xml";
        return std::nullopt;
    }
    for (auto [pictureType, extension] : {std::pair{"image/jpeg", "jpg"}, {"image/gif", "gif"}, {"image/png", "png"}})
        if (type == pictureType) return std::string(extension);
    return std::nullopt;
}

bool isLoggedFileType(const std::string& type) {
    return responseFileExtension(type, true) || responseFileExtension(type, false);
}

// A body the fetch wrote to a file: read back only when the log keeps a
// copy of its type, and only while it is of a sensible size.
foundation::Bytes downloadedFileBody(const GTMHTTPFetcher& fetcher) {
    for (const std::optional<std::string>& path : {fetcher.downloadPath(), fetcher.temporaryDownloadPath()}) {
        struct stat info {};
        if (!path || ::stat(path->c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        if (info.st_size > kMaximumLoggedFileLength) return {};
        auto bytes = foundation::readFile(*path);
        return bytes.ok() ? *bytes : foundation::Bytes();
    }
    return {};
}

// The "code" and "message" of a JSON answer's "error" object, as HTML.
std::string jsonErrorSummary(const std::optional<foundation::Value>& json) {
    if (!json || !json->isDictionary()) return {};
    const foundation::Value& error = json->asDictionary().get("error");
    if (!error.isDictionary()) return {};
    auto text = [](const foundation::Value& value) -> std::string {
        if (value.isString()) return value.asString();
        if (value.isNumber()) return stringWithJSONObject(value).value_or("");
        return {};
    };
    const std::string code = text(error.asDictionary().get("code"));
    const std::string message = text(error.asDictionary().get("message"));
    if (code.empty() && message.empty()) return {};
    return "&nbsp;&nbsp;<i>error " + gtm_stringByEscapingForHTML(code) +
           (message.empty() ? std::string() : ": " + gtm_stringByEscapingForHTML(message)) + "</i>";
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
        for (int suffix = 2; fileOrDirExistsAtPath(path) && suffix <= 19; ++suffix) path = base + "_" + std::to_string(suffix);
        if (!makeDirectoryUpToPath(path)) return {};
    }
    settings().runDirectory = path;
    return path;
}

void setupStreamLogging(GTMHTTPFetcher& fetcher) {
    if (!isLoggingEnabled() || fetcher.loggedStreamData() || !fetcher.postStream()) return;
    fetcher.setLoggedStreamData(foundation::Bytes());
    if (!logCapturePostStream(fetcher)) {
        const std::string unavailable = "<<Uploaded stream log unavailable without GTMReadMonitorInputStream>>";
        fetcher.setLoggedStreamData(foundation::Bytes(unavailable.begin(), unavailable.end()));
    }
}

bool logCapturePostStream(GTMHTTPFetcher& fetcher) {
    std::shared_ptr<GTMInputStream> stream = fetcher.postStream();
    if (!stream) return false;
    auto monitor = GTMReadMonitorInputStream::inputStreamWithStream(std::move(stream));
    std::shared_ptr<GTMHTTPFetcher> owner = fetcher.shared_from_this();
    monitor->setReadDelegate(owner);
    std::weak_ptr<GTMHTTPFetcher> weak = owner;
    monitor->setReadSelector([weak](GTMReadMonitorInputStream&, const uint8_t* bytes, uint64_t length) {
        if (auto reader = weak.lock()) reader->appendLoggedStreamData(bytes, size_t(length));
    });
    fetcher.setPostStream(std::move(monitor));
    return true;
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
    const std::string url = snipFormSecrets(request.url);
    std::vector<std::pair<std::string, std::string>> requestHeaders = request.headers.fields();
    std::vector<std::pair<std::string, std::string>> responseHeaders;
    if (response) responseHeaders = response->allHeaderFields.fields();
    const std::string requestType = contentTypeOf(requestHeaders);
    const std::string responseType = contentTypeOf(responseHeaders);

    // Bodies.
    std::string requestBodyText;
    const std::optional<foundation::Bytes> streamed = fetcher.loggedStreamData();
    size_t requestBodyLength = request.httpBodyFile ? size_t(request.httpBodyFile->length) : request.httpBody.size();
    if (streamed) requestBodyLength = streamed->size();
    if (std::optional<std::string> replacement = fetcher.logRequestBody())
        requestBodyText = *replacement;
    else if (streamed)
        requestBodyText = stringFromStreamData(*streamed, requestType);
    else if (request.httpBodyFile)
        requestBodyText = "<<" + std::to_string(requestBodyLength) + " bytes from a file>>";
    else if (!request.httpBody.empty())
        requestBodyText = stringFromStreamData(request.httpBody, requestType);

    const bool toDownloadFile = fetcher.downloadPath().has_value();
    const uint64_t responseLength = toDownloadFile ? fetcher.downloadedLength() : fetcher.downloadedData().size();
    const foundation::Bytes body =
        !toDownloadFile ? fetcher.downloadedData()
                        : (toFile && isLoggedFileType(responseType) ? downloadedFileBody(fetcher) : foundation::Bytes());
    std::optional<foundation::Value> responseJSON;
    const std::optional<std::string> formatted = formattedStringFromData(body, responseType, &responseJSON);
    std::string responseFile;
    if (std::optional<std::string> extension = responseFileExtension(responseType, formatted.has_value());
        toFile && extension && !body.empty()) {
        responseFile = "httpfetcher_" + std::to_string(number) + "_response." + *extension;
        if (formatted)
            writeFile(runDirectory + "/" + responseFile, *formatted, false);
        else
            writeFile(runDirectory + "/" + responseFile,
                      std::string_view(reinterpret_cast<const char*>(body.data()), body.size()), false);
    }
    std::string responseBodyText;
    if (std::optional<std::string> replacement = fetcher.logResponseBody())
        responseBodyText = *replacement;
    else if (toDownloadFile)
        responseBodyText = "<<" + std::to_string(responseLength) + " bytes to file>>\n";
    else if (formatted)
        responseBodyText = *formatted;
    else
        responseBodyText = "<<" + std::to_string(responseLength) + " bytes>>\n";

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
    text << "Response body: (" << responseLength << " bytes)\n" << responseBodyText << "\n";
    if (error) text << "Error: " << error->domain << " " << error->code << " " << error->description << "\n";
    fetcher.setLog(text.str());
    const std::string record = text.str() + std::string(59, '-') + "\n";
    if (!toFile) return;

    const std::string textFile = "httpfetcher_" + std::to_string(number) + ".txt";
    writeFile(runDirectory + "/" + textFile, record, false);

    // The index page entry.
    const std::string indexPath = runDirectory + "/" + htmlFileName();
    std::ostringstream html;
    if (!fileOrDirExistsAtPath(indexPath)) {
        html << "<html><head><meta http-equiv=\"content-type\" content=\"text/html; charset=UTF-8\">"
             << "<title>" << gtm_stringByEscapingForHTML(loggingProcessName() + " HTTP fetch log " + loggingDateStamp())
             << "</title></head><body>\n";
    }
    const bool authorized = request.headers.contains("Authorization");
    html << "<b>" << gtm_stringByEscapingForHTML(loggingDateStamp()) << " "
         << gtm_stringByEscapingForHTML(fetcher.comment()) << "</b> <a href=\"" << textFile
         << "\">request/response log</a><br>\n";
    if (redirectedFrom) html << "<i>redirected from " << gtm_stringByEscapingForHTML(*redirectedFrom) << "</i><br>\n";
    html << "<b>request:</b> " << gtm_stringByEscapingForHTML(request.httpMethod) << " <code>"
         << gtm_stringByEscapingForHTML(url) << "</code><br>\n";
    html << (authorized ? (request.url.starts_with("http:") ? "&#9888; authorized, non-SSL " : "authorized ") : "")
         << (request.headers.contains("Cookie") ? "cookies " : "")
         << (request.headers.contains("If-Match") ? "if-match " : "")
         << (request.headers.contains("If-None-Match") ? "if-none-match " : "");
    html << (requestHeaders.empty() ? std::string("headers: none")
                                    : "headers: " + std::to_string(requestHeaders.size()))
         << "<br>\n";
    if (requestBodyLength > 0) {
        html << "data: " << requestBodyLength << " bytes, <code>"
             << gtm_stringByEscapingForHTML(requestType.empty() ? "<no type>" : requestType) << "</code><br>\n";
    }
    const int status = response ? response->statusCode : 0;
    html << "<b>response:</b>&nbsp;&nbsp;status " << (status >= 400 ? "<b style=\"color:red\">" : "") << status
         << (status >= 400 ? "</b>" : "") << jsonErrorSummary(responseJSON) << "<br>\n";
    if (response && response->url != request.url)
        html << "response URL: <code>" << gtm_stringByEscapingForHTML(snipFormSecrets(response->url))
             << "</code><br>\n";
    for (const auto& [name, value] : responseHeaders) {
        if (net::HTTPHeaders::namesEqual(name, "Set-Cookie")) html << "sets cookies ";
        if (net::HTTPHeaders::namesEqual(name, "Location")) html << "redirects ";
    }
    html << "headers: " << responseHeaders.size() << "<br>\n";
    if (error) html << "<b>Error:</b> " << gtm_stringByEscapingForHTML(error->description) << " <br>\n";
    if (responseLength > 0) {
        html << "data: " << responseLength << " bytes, <code>"
             << gtm_stringByEscapingForHTML(responseType.empty() ? "<no type>" : responseType) << "</code>";
        if (responseFile.empty())
            html << "<br>\n";
        else if (formatted)
            html << " <a href=\"" << responseFile << "\">" << responseFile << "</a><br>\n";
        else
            html << "<br>\n<a href=\"" << responseFile << "\"><img src=\"" << responseFile
                 << "\" style=\"max-width:128px; max-height:128px\" alt=\"" << responseFile << "\"></a><br>\n";
    }
    html << "<br><hr><p>\n";
    writeFile(indexPath, html.str(), true);

    const std::string link = loggingDirectory() + "/" + loggingProcessName() + symlinkNameSuffix();
    removeItemAtPath(link);
    if (!createSymbolicLinkAtPath(link, indexPath))
        GTMLog("GTMHTTPFetcher logging write error:" + link + " (" + std::strerror(errno) + ")");
    if (!settings().announced) {
        settings().announced = true;
        GTMLog("GTMHTTPFetcher logging to \"" + indexPath + "\"");
    }
}

}  // namespace google::GTMHTTPFetcherLogging
