#pragma once

// The loopback HTTPS receiver of the upload benchmarks: the video service's
// test server in a child process, so that the figures of the benchmark's own
// process (time, CPU, memory) are the client's alone, and the file every
// upload sends. The release build has no test support library; a benchmark
// that includes this header takes FakeVideoService.cpp, LoopbackHttpServer.cpp,
// Process.cpp and ChildProcess.cpp of tests/support into its sources.

#include "support/FakeVideoService.h"
#include "support/LoopbackHttpServer.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace bench {

class LoopbackReceiver {
public:
    using Setup = std::function<void(testsupport::FakeVideoService&)>;

    // Starts the server with the certificate files; `setup` runs in the child
    // before the first request can arrive (routes, options). Exits the
    // benchmark when the child cannot be started.
    LoopbackReceiver(const testsupport::TestCertificates& certificates, const Setup& setup) {
        int up[2], down[2];
        if (pipe(up) != 0 || pipe(down) != 0) std::exit(1);
        child_ = fork();
        if (child_ < 0) std::exit(1);
        if (child_ == 0) {
            close(up[0]);
            close(down[1]);
            testsupport::FakeVideoService service(certificates.serverCertificateFile, certificates.serverKeyFile);
            // Uploads of hundreds of megabytes are counted, not kept.
            service.setKeepsBytes(false);
            setup(service);
            int serverPort = service.port();
            if (write(up[1], &serverPort, sizeof serverPort) != sizeof serverPort) _exit(1);
            // Serves until the parent closes its end of the pipe (or exits).
            char byte;
            while (read(down[0], &byte, 1) > 0) {}
            _exit(0);
        }
        close(up[1]);
        close(down[0]);
        if (read(up[0], &port_, sizeof port_) != sizeof port_) std::exit(1);
        close(up[0]);
        keepAlive_ = down[1];
    }
    ~LoopbackReceiver() {
        close(keepAlive_);
        waitpid(child_, nullptr, 0);
    }
    LoopbackReceiver(const LoopbackReceiver&) = delete;
    LoopbackReceiver& operator=(const LoopbackReceiver&) = delete;

    int port() const { return port_; }
    // "127.0.0.1:<port>"
    std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string url(const std::string& path) const { return "https://" + host() + path; }

private:
    pid_t child_ = -1;
    int port_ = 0;
    int keepAlive_ = -1;
};

// Writes `length` bytes of a fixed pattern that does not compress, the
// upload benchmarks' file.
inline void writePatternFile(const std::filesystem::path& path, uint64_t length) {
    std::vector<char> block(1 << 20);
    for (size_t i = 0; i < block.size(); ++i) block[i] = char((i * 2654435761u) >> 13);
    std::ofstream out(path, std::ios::binary);
    for (uint64_t written = 0; written < length; written += block.size())
        out.write(block.data(), std::streamsize(std::min<uint64_t>(block.size(), length - written)));
}

// curl's arguments for sending `file` as the body of a POST to `url` (as
// -T does, read while sent), trusting the receiver's authority, with no
// "Expect: 100-continue" wait, failing on an error status.
inline std::vector<std::string> curlPostFileArguments(const std::string& authorityFile, const std::string& file,
                                                      const std::string& url) {
    return {"curl", "-sS",     "-f", "-o", "/dev/null", "--cacert", authorityFile,
            "-H",   "Expect:", "-T", file, "-X",        "POST",     url};
}

}  // namespace bench
