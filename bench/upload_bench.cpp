// 200 MB through the resumable upload fetcher in 4 MiB chunks to the
// loopback HTTPS video service, against `curl -T` putting the same file to
// the same server in one request. Prints the median wall and CPU times of
// nine runs of each, taken in turn after an untimed round, and the peak
// memory of each;
// targets: at most 1.1 times curl's time, and a peak RSS at most two chunks
// above curl's.
//
// The server runs in a child process, so the figures of this process are
// the fetcher's alone. Each curl run is followed by `curl -T` of an empty
// file (started the same way), whose median time, curl's start-up, TLS
// handshake and one request, is taken off curl's: ours runs in a process
// that is up already and sends over the connection its earlier runs kept
// alive. So the reference is curl reading and sending the file, and ours is
// the fetcher reading and sending it with every request of its protocol.

#include "BenchSupport.h"
#include "LoopbackReceiver.h"
#include "components/google/GTMHTTPUploadFetcher.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/URLConnection.h"
#include "support/RunFolder.h"

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kLength = 200'000'000;
constexpr uint64_t kChunk = uint64_t(4) << 20;
constexpr int kRuns = 9;

long peakKiB(int who) {
    rusage r{};
    getrusage(who, &r);
    return r.ru_maxrss;
}

}  // namespace

int main() {
    static const testsupport::RunFolder scratch("tollivar-upload-bench");
    const fs::path folder = scratch.path();
    auto certificates = testsupport::TestCertificates::create(folder.string());
    bench::LoopbackReceiver receiver(
        certificates, [](testsupport::FakeVideoService& service) { service.setKeepsConnectionsAlive(true); });
    net::URLConnection::setAdditionalCertificateAuthorityFile(certificates.authorityFile);
    const std::string base = receiver.url("");

    const std::string source = (folder / "movie.mov").string();
    bench::writePatternFile(source, kLength);
    const std::string nothing = (folder / "empty.mov").string();
    bench::writePatternFile(nothing, 0);
    auto curlPut = [&](const std::string& file) -> std::vector<std::string> {
        return {"curl", "-sS",     "-f", "-o", "/dev/null",   "--cacert", certificates.authorityFile,
                "-H",   "Expect:", "-T", file, base + "/sink"};
    };

    const long before = peakKiB(RUSAGE_SELF);
    bool failed = false;
    const bench::Side ours = bench::timed([&] {
        bool done = false;
        net::URLRequest request(base + "/upload/rpc?uploadType=resumable&prettyPrint=false");
        request.httpMethod = "POST";
        request.setValue("application/json-rpc", "Content-Type");
        auto handle = std::make_shared<foundation::FileDescriptor>(foundation::FileDescriptor::open(source, O_RDONLY));
        auto fetcher =
            google::GTMHTTPUploadFetcher::uploadFetcherWithRequest(request, handle, "video/quicktime", kChunk, nullptr);
        const std::string call = R"({"jsonrpc":"2.0","method":"youtube.videos.insert","id":"gtl_1"})";
        fetcher->setPostData(foundation::Bytes(call.begin(), call.end()));
        fetcher->beginFetchWithCompletionHandler([&](const foundation::Bytes&, const auto& error) {
            failed = error.has_value();
            if (error) std::fprintf(stderr, "upload failed: %s\n", error->description.c_str());
            done = true;
        });
        foundation::RunLoop::main().runUntil([&] { return done; }, 600);
        return done && !failed;
    });
    const bench::Side curl =
        bench::program([&] { return bench::withPeakResident(folder / "curl-peaks", curlPut(source)); });
    const bench::Side curlEmpty =
        bench::program([&] { return bench::withPeakResident(folder / "empty-peaks", curlPut(nothing)); });
    // One untimed round first: our kept-alive connection is then open, and
    // the file, curl and the server's pages are warm for every timed run,
    // not for all but the first.
    for (const bench::Side* side : {&ours, &curl, &curlEmpty})
        if (!side->run()) return 1;
    const auto comparisons = bench::compareAll(kRuns, ours, {curl, curlEmpty});
    const bench::Comparison times{comparisons[0].ours,
                                  bench::lessMedianOf(comparisons[0].reference, comparisons[1].reference)};
    const long after = peakKiB(RUSAGE_SELF);
    const long curlAfter = bench::largestPeakKiB(folder / "curl-peaks");

    std::printf(
        "upload of %llu bytes over loopback HTTPS in %llu-byte chunks: peak RSS ours %ld KiB (%ld KiB "
        "before), curl %ld KiB\n",
        static_cast<unsigned long long>(kLength), static_cast<unsigned long long>(kChunk), after, before, curlAfter);
    std::printf("curl -T of an empty file, taken off curl's times: wall %.2f ms, cpu %.2f ms (median)\n",
                bench::medianOf(comparisons[1].reference) * 1000,
                bench::medianOf(comparisons[1].reference, &bench::Times::cpu) * 1000);
    bool met = bench::report("upload fetcher 200 MB in 4 MiB chunks vs curl -T", times, bench::Target::atMost(1.1));
    met = bench::printMeasure("upload fetcher peak RSS over curl's", double(after - curlAfter) / 1024,
                              double(2 * kChunk) / (1 << 20), "MB", bench::Target::atMost(1.0)) &&
          met;

    return met ? 0 : 1;
}
