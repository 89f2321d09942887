// Reading a 5 MB JSON-RPC video list (4,700 videos, the shape the video
// service answers a list call with) into a GTLYouTubeVideoListResponse whose
// items are typed videos, as the API service does with a reply, against
// python3's json.loads of the same text (timed in its own warm process), run
// by run in turn. Prints the medians and the ratio.

#include "BenchSupport.h"
#include "components/google/GTLJSONParser.h"
#include "components/google/GTLYouTubeObjects.h"
#include "support/RunFolder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kVideos = 4700;
constexpr int kRuns = 9;

const char* const kWords[] = {"stop",       "motion",       "clay",           "studio",       "light",
                              "camera",     "scene",        "puppet",         "frame",        "caf\u00e9",
                              "na\u00efve", "\u65e5\u672c", "\\\"quoted\\\"", "line\\nbreak", "set"};

struct VideoList {
    std::mt19937_64 random{2026};
    std::string out;

    uint64_t below(uint64_t n) { return random() % n; }
    std::string words(int count) {
        std::string text;
        for (int i = 0; i < count; ++i) text += (i ? " " : "") + std::string(kWords[below(std::size(kWords))]);
        return text;
    }
    std::string id() {
        static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
        std::string text;
        for (int i = 0; i < 11; ++i) text += kAlphabet[below(64)];
        return text;
    }
    void thumbnail(const char* name, const std::string& video, int width, int height) {
        out += "\"" + std::string(name) + "\":{\"url\":\"https://i.example.test/vi/" + video + "/" + name +
               ".jpg\",\"width\":" + std::to_string(width) + ",\"height\":" + std::to_string(height) + "}";
    }
    void video() {
        const std::string video = id();
        char published[64];
        std::snprintf(published, sizeof published, "20%02d-%02d-%02dT%02d:%02d:%02d.000Z", int(10 + below(16)),
                      int(1 + below(12)), int(1 + below(28)), int(below(24)), int(below(60)), int(below(60)));
        out += R"({"kind":"youtube#video","etag":"\")" + id() + id() + R"(\"","id":")" + video +
               R"(","snippet":{"publishedAt":")" + published + R"(","channelId":"UC)" + id() + id() + R"(","title":")" +
               words(int(3 + below(6))) + R"(","description":")" + words(int(13 + below(30))) + R"(","thumbnails":{)";
        thumbnail("default", video, 120, 90), out += ',';
        thumbnail("medium", video, 320, 180), out += ',';
        thumbnail("high", video, 480, 360);
        out +=
            R"(},"channelTitle":")" + words(2) + R"(","tags":[")" + words(1) + R"(",")" + words(1) +
            R"("],"categoryId":")" + std::to_string(1 + below(30)) +
            R"(","liveBroadcastContent":"none"},"status":{"uploadStatus":"processed","privacyStatus":"public","license":"youtube","embeddable":true,"publicStatsViewable":true},"statistics":{"viewCount":")" +
            std::to_string(below(10000000)) + R"(","likeCount":")" + std::to_string(below(100000)) +
            R"(","dislikeCount":")" + std::to_string(below(1000)) + R"(","favoriteCount":"0","commentCount":")" +
            std::to_string(below(5000)) + R"("}})";
    }
    std::string reply() {
        out =
            R"({"jsonrpc":"2.0","id":"gtl_1","result":{"kind":"youtube#videoListResponse","etag":"\"list\"","pageInfo":{"totalResults":4700,"resultsPerPage":4700},"items":[)";
        for (int i = 0; i < kVideos; ++i) {
            if (i) out += ',';
            video();
        }
        out += "]}}";
        return std::move(out);
    }
};

}  // namespace

int main() {
    const std::string text = VideoList().reply();
    const foundation::Bytes data(text.begin(), text.end());
    static const testsupport::RunFolder scratch("tollivar-gtl-list-bench");
    const fs::path file = fs::path(scratch.path()) / "list.json";
    std::ofstream(file, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));

    std::shared_ptr<google::GTLYouTubeVideoListResponse> list;
    size_t typedItems = 0;
    // Both sides run on one thread; python's process, started after, is kept
    // on the same CPU.
    const bench::OnOneCpu pinned;
    bench::PythonTimer python = bench::pythonJSONLoads(file);
    const auto times = bench::compare(
        kRuns,
        bench::timed(
            [&] {
                std::optional<foundation::Value> reply = google::GTLJSONParser::objectWithData(data, nullptr);
                if (!reply) return false;
                list = std::dynamic_pointer_cast<google::GTLYouTubeVideoListResponse>(google::GTLObject::objectForJSON(
                    reply->asDictionary().get("result"), &google::GTLYouTubeVideoListResponse::classInfo(), nullptr,
                    nullptr));
                if (!list) return false;
                typedItems = 0;
                for (const auto& video :
                     list->items().value_or(std::vector<std::shared_ptr<google::GTLYouTubeVideo>>{}))
                    typedItems += video != nullptr;
                return typedItems == kVideos;
            },
            [&] {
                // The previous result goes before the clock starts, and the
                // allocator tidies up after it then (a large request merges the
                // freed blocks), not inside the timed run.
                list.reset();
                std::free(std::malloc(64 * 1024));
            }),
        python.side());
    std::printf("JSON-RPC video list of %.1f MB, %zu typed videos\n", static_cast<double>(text.size()) / 1e6,
                typedItems);
    const bool met =
        bench::report("video list into typed objects vs python3 json.loads", times, bench::Target::atMost(0.6));
    return met ? 0 : 1;
}
