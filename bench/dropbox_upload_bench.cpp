// 200 MB through the Dropbox client's files_put (one signed POST streaming
// the file, progress to the delegate) to a loopback HTTPS server, against
// `curl -T <file> -X POST` to the same server. Prints the median wall time of
// five runs and the peak memory of each; targets: at most 1.1 times curl's
// time, and a peak RSS within 32 MB of curl's.
//
// The server runs in a child process, so the figures of this process are
// the client's alone.

#include "BenchSupport.h"
#include "components/dropbox/DBBase64.h"
#include "components/dropbox/DBConfiguration.h"
#include "components/dropbox/DBRestClient.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "support/FakeVideoService.h"
#include "support/LoopbackHttpServer.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
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

foundation::Bytes derOfPEMFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    std::string pem = text.str();
    size_t begin = pem.find("-----BEGIN CERTIFICATE-----") + 27;
    std::string der = base64DecodedString(pem.substr(begin, pem.find("-----END CERTIFICATE-----") - begin));
    return foundation::Bytes(der.begin(), der.end());
}

pid_t startServer(const testsupport::TestCertificates& certificates, int& port, int& keepAlive) {
    int up[2], down[2];
    if (pipe(up) != 0 || pipe(down) != 0) std::exit(1);
    pid_t child = fork();
    if (child == 0) {
        close(up[0]);
        close(down[1]);
        testsupport::FakeVideoService service(certificates.serverCertificateFile, certificates.serverKeyFile);
        service.setKeepsBytes(false);
        service.on("POST", "/1/files_put/sandbox/movie.mov", [](const auto&) {
            return testsupport::HttpReply{200, R"({"path": "/movie.mov", "rev": "1", "bytes": 200000000})",
                                          "application/json"};
        });
        int serverPort = service.port();
        if (write(up[1], &serverPort, sizeof serverPort) != sizeof serverPort) _exit(1);
        char byte;
        while (read(down[0], &byte, 1) > 0) {}
        _exit(0);
    }
    close(up[1]);
    close(down[0]);
    if (read(up[0], &port, sizeof port) != sizeof port) std::exit(1);
    keepAlive = down[1];
    return child;
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
    const fs::path folder = fs::temp_directory_path() / ("tollivar-dropbox-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    foundation::Paths::setRootOverride(folder.string());
    auto certificates = testsupport::TestCertificates::create(folder.string());
    int port = 0, keepAlive = -1;
    pid_t server = startServer(certificates, port, keepAlive);
    const std::string host = "127.0.0.1:" + std::to_string(port);

    const std::string source = (folder / "movie.mov").string();
    {
        std::vector<char> block(1 << 20);
        for (size_t i = 0; i < block.size(); ++i) block[i] = char((i * 2654435761u) >> 13);
        std::ofstream out(source, std::ios::binary);
        for (uint64_t written = 0; written < kLength; written += block.size())
            out.write(block.data(), std::streamsize(std::min<uint64_t>(block.size(), kLength - written)));
    }

    DBConfiguration configuration;
    configuration.apiHost = configuration.contentHost = host;
    configuration.rootCertificates = {derOfPEMFile(certificates.authorityFile)};
    DBConfiguration::setCurrent(configuration);
    auto session = std::make_shared<DBSession>("k3y", "s3cr3t", "sandbox");
    session->setAccessToken("t0ken", "t0ken s3cret", "1");
    auto client = DBRestClient::create(session);

    const long before = peakKiB(RUSAGE_SELF);
    const double ours = bench::medianSeconds(
        kRuns, [] {},
        [&] {
            Waiter waiter;
            client->setDelegate(&waiter);
            client->uploadFile("movie.mov", "/", std::nullopt, source);
            foundation::RunLoop::main().runUntil([&] { return waiter.done; }, 600);
            client->setDelegate(nullptr);
            return waiter.done && !waiter.failed && waiter.progress == 1.0;
        });
    const long ourPeak = peakKiB(RUSAGE_SELF);

    const double theirs = bench::medianSeconds(
        kRuns, [] {},
        [&] {
            return bench::runCommand({"curl", "-sS", "-o", "/dev/null", "--cacert", certificates.authorityFile, "-H",
                                      "Expect:", "-T", source, "-X", "POST",
                                      "https://" + host + "/1/files_put/sandbox/movie.mov"}) == 0;
        });
    const long curlPeak = peakKiB(RUSAGE_CHILDREN);

    std::printf("files_put of %llu bytes over loopback HTTPS: peak RSS ours %ld KiB (%ld KiB before), curl %ld KiB\n",
                static_cast<unsigned long long>(kLength), ourPeak, before, curlPeak);
    bool met = bench::printResult("dropbox files_put 200 MB", ours, theirs, bench::Target::atMost(1.1));
    met = bench::printMeasure("dropbox files_put peak RSS over curl's", double(ourPeak - curlPeak) / 1024, 32, "MB",
                              bench::Target::atMost(1.0)) &&
          met;

    client.reset();
    close(keepAlive);
    waitpid(server, nullptr, 0);
    fs::remove_all(folder);
    return met ? 0 : 1;
}
