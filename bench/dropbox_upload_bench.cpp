// 200 MB through the Dropbox client's files_put (one signed POST streaming
// the file, progress to the delegate) to a loopback HTTPS server, against
// `curl -T <file> -X POST` to the same server. Prints the median wall and CPU
// times of five runs of each, taken in turn (curl's start-up, an empty upload
// timed in turn too, taken off its times), and the peak memory of each; targets: at
// most 1.1 times curl's time, and a peak RSS within 32 MB of curl's.
//
// The server runs in a child process (LoopbackReceiver.h), so the figures of
// this process are the client's alone.

#include "BenchSupport.h"
#include "LoopbackDropbox.h"
#include "components/dropbox/DBRestClient.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "support/RunFolder.h"

#include <cstdio>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kLength = 200'000'000;
constexpr int kRuns = 5;

long peakKiB(int who) {
    rusage r{};
    getrusage(who, &r);
    return r.ru_maxrss;
}

struct Waiter : DBRestClientDelegate {
    bool done = false, failed = false;
    double progress = 0;
    void restClientUploadedFileFromMetadata(Client&, const std::string&, const std::string&, const Metadata&) override {
        done = true;
    }
    void restClientUploadProgressForFileFrom(Client&, double value, const std::string&, const std::string&) override {
        progress = value;
    }
    void restClientUploadFileFailedWithError(Client&, const Error& error) override {
        std::fprintf(stderr, "upload failed: %s\n", error.description.c_str());
        done = failed = true;
    }
};

}  // namespace

int main() {
    static const testsupport::RunFolder scratch("tollivar-dropbox-bench");
    const fs::path folder = scratch.path();
    foundation::Paths::setRootOverride(folder.string());
    auto certificates = testsupport::TestCertificates::create(folder.string());
    bench::LoopbackReceiver receiver(certificates, [](testsupport::FakeVideoService& service) {
        bench::answerFilesPut(service, "movie.mov", kLength);
        bench::answerFilesPut(service, "empty.mov", 0);
    });

    const std::string source = (folder / "movie.mov").string();
    bench::writePatternFile(source, kLength);
    bench::useLoopbackDropbox(receiver, certificates);
    auto session = std::make_shared<DBSession>("k3y", "s3cr3t", "sandbox");
    session->setAccessToken("t0ken", "t0ken s3cret", "1");
    auto client = DBRestClient::create(session);

    // curl's start-up, handshake and one request, timed with an empty file
    // and taken off its runs: ours runs in a process already up, over a
    // connection kept alive.
    const std::string nothing = (folder / "empty.mov").string();
    bench::writePatternFile(nothing, 0);
    auto curlPost = [&](const std::string& name, const char* peaks) {
        return bench::program([&, name, peaks] {
            return bench::withPeakResident(
                folder / peaks, bench::curlPostFileArguments(certificates.authorityFile, (folder / name).string(),
                                                             receiver.url("/1/files_put/sandbox/" + name)));
        });
    };
    const long before = peakKiB(RUSAGE_SELF);
    const auto comparisons = bench::compareAll(
        kRuns, bench::timed([&] {
            Waiter waiter;
            client->setDelegate(&waiter);
            client->uploadFile("movie.mov", "/", std::nullopt, source);
            foundation::RunLoop::main().runUntil([&] { return waiter.done; }, 600);
            client->setDelegate(nullptr);
            return waiter.done && !waiter.failed && waiter.progress == 1.0;
        }),
        {curlPost("movie.mov", "curl-peaks"), curlPost("empty.mov", "empty-peaks")});
    const bench::Comparison times{comparisons[0].ours,
                                  bench::lessMedianOf(comparisons[0].reference, comparisons[1].reference)};
    std::printf("curl of an empty file, taken off curl's times: wall %.2f ms, cpu %.2f ms (median)\n",
                bench::medianOf(comparisons[1].reference) * 1000,
                bench::medianOf(comparisons[1].reference, &bench::Times::cpu) * 1000);
    const long ourPeak = peakKiB(RUSAGE_SELF);
    const long curlPeak = bench::largestPeakKiB(folder / "curl-peaks");

    std::printf("files_put of %llu bytes over loopback HTTPS: peak RSS ours %ld KiB (%ld KiB before), curl %ld KiB\n",
                static_cast<unsigned long long>(kLength), ourPeak, before, curlPeak);
    bool met = bench::report("dropbox files_put 200 MB", times, bench::Target::atMost(1.1));
    met = bench::printMeasure("dropbox files_put peak RSS over curl's", double(ourPeak - curlPeak) / 1024, 32, "MB",
                              bench::Target::atMost(1.0)) &&
          met;

    client.reset();
    return met ? 0 : 1;
}
