#pragma once

// Optional debugging records of fetches. Off unless switched on: then every
// logged fetch becomes a text record (also the fetcher's `log`), an entry
// of an HTML index page and, for XML and image answers, a copy of the body,
// all in one folder per run under "GTMHTTPDebugLogs" in the documents
// folder. Tokens, secrets, codes and passwords are cut out ("_snip_")
// before anything is written; files are readable by the user alone.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace google {

class GTMHTTPFetcher;

namespace GTMHTTPFetcherLogging {

void setLoggingEnabled(bool enabled);
bool isLoggingEnabled();
// Off: records go only into each fetcher's `log`.
void setLoggingToFileEnabled(bool enabled);
bool isLoggingToFileEnabled();
// The folder that holds every run's folder.
void setLoggingDirectory(std::string path);
std::string loggingDirectory();
void setLoggingProcessName(std::string name);
std::string loggingProcessName();
void setLoggingDateStamp(std::string stamp);
std::string loggingDateStamp();
std::string processNameLogPrefix();
std::string symlinkNameSuffix();
std::string htmlFileName();
// The folder of this run, made (0700) on first use; empty when it cannot be.
std::string logDirectoryForCurrentRun();

// Writes the record of the fetch as it stands.
void logFetchWithError(GTMHTTPFetcher& fetcher, const std::optional<foundation::Error>& error);

// A body as log text: JSON pretty-printed with its tokens cut out, other
// UTF-8 text as it is; nullopt for bytes that are not text.
std::optional<std::string> formattedStringFromData(const foundation::Bytes& data, std::string_view contentType);
// A request body as log text: as above, then secrets of forms cut out;
// multipart bodies part by part; other bytes as "<<N bytes>>".
std::string stringFromRequestBody(const foundation::Bytes& data, std::string_view contentType);
// "  Name: value\n" lines sorted by name, credentials cut out.
std::string headersStringForHeaders(const std::vector<std::pair<std::string, std::string>>& headers);
// Replaces what follows `start` up to `end` (or the end) by "_snip_".
std::optional<std::string> snipSubstringOfString(const std::optional<std::string>& text, std::string_view start,
                                                 std::string_view end);

}  // namespace GTMHTTPFetcherLogging

}  // namespace google
