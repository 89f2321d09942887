#include "support/HostileFiles.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {

namespace fs = std::filesystem;

std::string describe(Hostile kind) {
    static const char* const names[] = {"a FIFO", "a link to /dev/zero", "2 GiB of zeros"};
    return names[static_cast<int>(kind)];
}

void placeHostile(const std::string& path, Hostile kind) {
    fs::remove(path);
    if (kind == Hostile::Fifo && ::mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("no FIFO at " + path);
    if (kind == Hostile::LinkToZero) fs::create_symlink("/dev/zero", path);
    if (kind == Hostile::Huge) {
        std::ofstream{path}.close();
        fs::resize_file(path, uintmax_t(2) << 30);
    }
}

long peakMegabytes() {
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

bool endsWithoutWaitingOn(const std::vector<std::string>& fifos, const std::function<void()>& work) {
    auto ended = std::async(std::launch::async, work);
    // Real time, as a reader held by a FIFO takes no virtual time; a reader
    // that never waits ends long before.
    const bool prompt = ended.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    while (ended.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        for (const std::string& fifo : fifos) {
            const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (writer >= 0) ::close(writer);
        }
    }
    ended.get();
    return prompt;
}

}  // namespace testsupport
