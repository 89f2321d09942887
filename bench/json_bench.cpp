// Decoding and encoding a generated 23 MB feed of status updates (the shape
// of a social timeline: ids, texts with escapes and non-ASCII characters,
// nested users and entities, booleans, nulls, coordinates) with jsonkit,
// against RapidJSON's DOM (reading doubles exactly, as ours does) and Writer,
// both checking that the text is UTF-8 as ours do, and python3's json.loads
// on the same text. Prints the median of several
// runs of each and the ratios.

#include "BenchSupport.h"
#include "components/jsonkit/JKSerializer.h"
#include "components/jsonkit/JSONDecoder.h"
#include "support/RunFolder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Ours refuses text that is not UTF-8, reading and writing; so does the reference.
constexpr unsigned kRapidParseFlags = rapidjson::kParseFullPrecisionFlag | rapidjson::kParseValidateEncodingFlag;
using RapidWriter = rapidjson::Writer<rapidjson::StringBuffer, rapidjson::UTF8<>, rapidjson::UTF8<>,
                                      rapidjson::CrtAllocator, rapidjson::kWriteValidateEncodingFlag>;

constexpr size_t kCorpusBytes = 23u * 1000 * 1000;
constexpr int kRuns = 7;

const char* const kWords[] = {"stop",   "motion", "movie",     "frame",      "clay",      "studio",       "light",
                              "camera", "scene",  "puppet",    "set",        "shot",      "render",       "sound",
                              "music",  "today",  "caf\u00e9", "na\u00efve", "\u00fcber", "\u65e5\u672c", "\U0001F3AC",
                              "a/b",    "\"q\"",  "tab\there", "line\nbreak"};

struct Feed {
    std::mt19937_64 random{2026};
    std::string out;

    uint64_t below(uint64_t n) { return random() % n; }

    void string(const std::string& text) {
        out += '"';
        for (char c : text) {
            if (c == '"' || c == '\\') {
                out += '\\';
                out += c;
            } else if (c == '\n') {
                out += "\\n";
            } else if (c == '\t') {
                out += "\\t";
            } else {
                out += c;
            }
        }
        out += '"';
    }
    std::string sentence(int words) {
        std::string text;
        for (int i = 0; i < words; ++i) {
            if (i) text += ' ';
            text += kWords[below(std::size(kWords))];
        }
        return text;
    }
    void key(const char* name) {
        out += '"';
        out += name;
        out += "\":";
    }
    void number(uint64_t n) { out += std::to_string(n); }

    void user(uint64_t id) {
        out += '{';
        key("id"), number(id), out += ',';
        key("id_str"), string(std::to_string(id)), out += ',';
        key("name"), string(sentence(2)), out += ',';
        key("screen_name"), string("user" + std::to_string(id % 100000)), out += ',';
        key("location"), below(3) ? string(sentence(1)) : void(out += "null"), out += ',';
        key("description"), string(sentence(static_cast<int>(4 + below(12)))), out += ',';
        key("url"), string("http://example.com/~user" + std::to_string(id % 1000)), out += ',';
        key("followers_count"), number(below(2000000)), out += ',';
        key("friends_count"), number(below(5000)), out += ',';
        key("verified"), out += below(10) ? "false" : "true", out += ',';
        key("profile_image_url"),
            string("http://pbs.example.com/profile_images/" + std::to_string(below(1u << 30)) + "/photo_normal.jpg");
        out += '}';
    }

    void status() {
        const uint64_t id = 1000000000000000000ULL + below(1000000000000000ULL);
        out += '{';
        key("created_at"),
            string("Mon Dec 07 1" + std::to_string(below(10)) + ":2" + std::to_string(below(10)) + ":00 +0000 2026"),
            out += ',';
        key("id"), number(id), out += ',';
        key("id_str"), string(std::to_string(id)), out += ',';
        key("text"), string(sentence(static_cast<int>(6 + below(20)))), out += ',';
        key("truncated"), out += "false", out += ',';
        key("in_reply_to_status_id"), below(4) ? void(out += "null") : number(id - below(100000)), out += ',';
        key("user"), user(below(5000000)), out += ',';
        key("geo"), out += "null", out += ',';
        key("coordinates");
        if (below(5)) {
            out += "null";
        } else {
            char text[64];
            std::snprintf(text, sizeof text, "[%.6f,%.6f]", -90.0 + 180.0 * static_cast<double>(below(1000000)) / 1e6,
                          -180.0 + 360.0 * static_cast<double>(below(1000000)) / 1e6);
            out += text;
        }
        out += ',';
        key("retweet_count"), number(below(500)), out += ',';
        key("favorite_count"), number(below(2000)), out += ',';
        key("score"), out += std::to_string(below(100000)) + "." + std::to_string(below(1000)), out += ',';
        key("entities");
        out += "{\"hashtags\":[";
        for (uint64_t i = 0, n = below(4); i < n; ++i) {
            if (i) out += ',';
            out += "{\"text\":", string(kWords[below(16)]), out += ",\"indices\":[", number(i * 10), out += ',',
                number(i * 10 + 6), out += "]}";
        }
        out += "],\"urls\":[";
        for (uint64_t i = 0, n = below(3); i < n; ++i) {
            if (i) out += ',';
            out += "{\"url\":", string("http://t.example/" + std::to_string(below(1u << 30))),
                out += ",\"expanded_url\":", string("https://example.org/films/" + std::to_string(below(100000))),
                out += "}";
        }
        out += "]},";
        key("favorited"), out += "false", out += ',';
        key("retweeted"), out += "false", out += ',';
        key("lang"), string(below(5) ? "en" : "de");
        out += '}';
    }

    std::string corpus() {
        out = "{\"statuses\":[";
        for (bool first = true; out.size() < kCorpusBytes; first = false) {
            if (!first) out += ',';
            status();
        }
        out += "],\"search_metadata\":{\"count\":100,\"completed_in\":0.087}}";
        return std::move(out);
    }
};

// Our side or RapidJSON's: the previous run's result is let go before the
// clock starts, and the allocator tidies up after it then, not at the timed
// run's first large request.
bench::Side inProcess(const std::function<void()>& reset, const std::function<bool()>& work) {
    return bench::timed(work, [reset] {
        reset();
        std::free(std::malloc(64 * 1024));  // a large request merges the freed small blocks
    });
}

}  // namespace

int main() {
    const std::string text = Feed().corpus();
    static const testsupport::RunFolder scratch("tollivar-json-bench");
    const fs::path file = fs::path(scratch.path()) / "document.json";
    std::ofstream(file, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));

    jsonkit::JSONDecoder decoder;
    std::optional<foundation::Value> decoded;
    const bench::Side ours = inProcess(
        [&] {
            decoded.reset();
            decoder.clearCache();  // every run starts as cold as RapidJSON's
        },
        [&] {
            decoded = decoder.objectWithUTF8String(text.data(), text.size());
            return decoded.has_value();
        });
    std::optional<rapidjson::Document> document;
    bench::PythonTimer python = bench::pythonJSONLoads(file);
    const auto decodes =
        bench::compareAll(kRuns, ours,
                          {inProcess([&] { document.reset(); },
                                     [&] {
                                         document.emplace();
                                         document->Parse<kRapidParseFlags>(text.data(), text.size());
                                         return !document->HasParseError();
                                     }),
                           python.side()});

    std::optional<std::string> written;
    std::optional<rapidjson::StringBuffer> rapidText;
    const auto encodes = bench::compare(kRuns,
                                        inProcess([&] { written.reset(); },
                                                  [&] {
                                                      written = jsonkit::JSONString(*decoded);
                                                      return written.has_value();
                                                  }),
                                        inProcess([&] { rapidText.reset(); },
                                                  [&] {
                                                      rapidText.emplace();
                                                      RapidWriter writer(*rapidText);
                                                      return document->Accept(writer);
                                                  }));

    std::printf("feed corpus of %.1f MB (written back: ours %.1f MB, RapidJSON %.1f MB)\n",
                static_cast<double>(text.size()) / 1e6, static_cast<double>(written->size()) / 1e6,
                static_cast<double>(rapidText->GetSize()) / 1e6);
    bool met = bench::report("json decode vs RapidJSON DOM", decodes[0], bench::Target::atMost(1.5));
    met &= bench::report("json decode vs python3 json.loads", decodes[1], bench::Target::atMost(0.5));
    met &= bench::report("json encode vs RapidJSON Writer", encodes, bench::Target::atMost(1.5));
    return met ? 0 : 1;
}
