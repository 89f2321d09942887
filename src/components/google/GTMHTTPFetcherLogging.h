#pragma once

// Optional debugging records of fetches. Off unless switched on: then every
// logged fetch becomes a text record (also the fetcher's `log`), an entry
// of an HTML index page and, for XML and image answers, a copy of the body,
// all in one folder per run under "GTMHTTPDebugLogs" in the documents
// folder. The index shows each answer's status with the code and message of
// a JSON error, and a thumbnail of each picture. Tokens, secrets, codes and
// passwords are cut out ("_snip_") before anything is written; files are
// readable by the user alone.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// Streamed request bodies: the fetcher calls setupStreamLogging before it
// reads its body stream. With logging on and nothing captured yet, the
// stream is wrapped (logCapturePostStream) so that every byte read is also
// kept for the log; false when the fetcher has no stream to wrap.
void setupStreamLogging(GTMHTTPFetcher& fetcher);
bool logCapturePostStream(GTMHTTPFetcher& fetcher);

// A body as log text: JSON pretty-printed with its tokens and secrets cut
// out at any depth (the parsed object, so cut, into `json` when given),
// other UTF-8 text with the secrets of form fields cut out; nullopt for
// bytes that are not text.
std::optional<std::string> formattedStringFromData(const foundation::Bytes& data, std::string_view contentType,
                                                   std::optional<foundation::Value>* json = nullptr);
// A request body as log text: as above; a multipart body that is not all
// text part by part (text parts as text, others as their headers and size);
// other bytes as "<<N bytes>>".
std::string stringFromStreamData(const foundation::Bytes& data, std::string_view contentType);
// The values of secret form fields (tokens, codes, client secrets,
// passwords) replaced by "_snip_".
std::string snipFormSecrets(std::string text);
// "  Name: value\n" lines sorted by name, credentials cut out.
std::string headersStringForHeaders(const std::vector<std::pair<std::string, std::string>>& headers);
// Replaces what follows `start` up to `end` (or the end) by "_snip_".
std::optional<std::string> snipSubstringOfString(const std::optional<std::string>& text, std::string_view start,
                                                 std::string_view end);

// JSON for the log: parsed into a value, and written human-readable.
std::optional<foundation::Value> JSONObjectWithData(const foundation::Bytes& data);
std::optional<std::string> stringWithJSONObject(const foundation::Value& object);

// File operations of the log's folders. makeDirectoryUpToPath makes the
// missing folders of the path, each for the user alone (0700), and tells
// whether the path exists afterwards.
bool fileOrDirExistsAtPath(const std::string& path);
bool makeDirectoryUpToPath(const std::string& path);
bool removeItemAtPath(const std::string& path);
bool createSymbolicLinkAtPath(const std::string& path, const std::string& destinationPath);

}  // namespace GTMHTTPFetcherLogging

}  // namespace google
