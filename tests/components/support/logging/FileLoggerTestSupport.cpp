#include "FileLoggerTestSupport.h"

#include "support/TestFiles.h"

#include <sys/mman.h>
#include <unistd.h>

namespace logtest {

StandardErrorCapture::StandardErrorCapture() {
    file_ = memfd_create("stderr-capture", MFD_CLOEXEC);
    saved_ = dup(STDERR_FILENO);
    dup2(file_, STDERR_FILENO);
}

StandardErrorCapture::~StandardErrorCapture() {
    dup2(saved_, STDERR_FILENO);
    close(saved_);
    close(file_);
}

std::string StandardErrorCapture::text() const {
    std::string result;
    char buffer[4096];
    off_t at = 0;
    for (;;) {
        const ssize_t got = pread(file_, buffer, sizeof buffer, at);
        if (got <= 0) break;
        result.append(buffer, static_cast<size_t>(got));
        at += got;
    }
    return result;
}

std::vector<std::string> linesOfFile(const std::string& path) {
    const std::string bytes = testsupport::readFileBytes(path);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(bytes.substr(start) + "<unterminated>");
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace logtest
