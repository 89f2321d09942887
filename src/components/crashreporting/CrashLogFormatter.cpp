#include "components/crashreporting/CrashLogFormatter.h"

#include "platform/foundation/Paths.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <cxxabi.h>
#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#include <map>
#include <optional>
#include <sstream>
#include <unistd.h>

namespace crashreporting {

namespace {

std::string hex(uint64_t value, int width = 16) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%0*" PRIx64, width, value);
    return buffer;
}

std::string formatDate(int64_t seconds) {
    if (seconds <= 0) return "unknown";
    time_t time = static_cast<time_t>(seconds);
    tm parts = {};
    gmtime_r(&time, &parts);
    char buffer[64];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S +0000", &parts);
    return buffer;
}

std::string padded(const std::string& text, size_t width) {
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

// Load biases of the images this process has loaded, by path.
std::map<std::string, uint64_t> ownImages() {
    struct Context {
        std::map<std::string, uint64_t> images;
        std::string executable;
        bool first = true;
    } context;
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length > 0) context.executable.assign(path, static_cast<size_t>(length));
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) -> int {
            auto* context = static_cast<Context*>(data);
            std::string name = info->dlpi_name ? info->dlpi_name : "";
            // The main program comes first, without a name.
            if (name.empty() && context->first) name = context->executable;
            context->first = false;
            if (!name.empty()) context->images.emplace(name, info->dlpi_addr);
            return 0;
        },
        &context);
    return context.images;
}

std::optional<std::string> symbolFor(uint64_t address) {
    Dl_info info = {};
    void* entry = nullptr;
    if (!dladdr1(reinterpret_cast<void*>(address), &info, &entry, RTLD_DL_SYMENT)) return std::nullopt;
    const auto* symbol = static_cast<const ElfW(Sym)*>(entry);
    if (!info.dli_sname || !symbol || !info.dli_saddr) return std::nullopt;
    uint64_t start = reinterpret_cast<uint64_t>(info.dli_saddr);
    // dladdr answers with the nearest symbol before the address even when
    // that one ends long before it; only a symbol that covers it is the truth.
    if (address < start || address >= start + symbol->st_size) return std::nullopt;
    int status = 0;
    char* demangled = abi::__cxa_demangle(info.dli_sname, nullptr, nullptr, &status);
    std::string name = status == 0 && demangled ? demangled : info.dli_sname;
    std::free(demangled);
    return name + " + " + std::to_string(address - start);
}

}  // namespace

std::string CrashLogFormatter::format(const CrashReport& report, bool symbolicate) {
    std::ostringstream log;
    std::string version = report.applicationShortVersion;
    if (!report.applicationVersion.empty())
        version += version.empty() ? report.applicationVersion : " (" + report.applicationVersion + ")";

    log << padded("Process:", 17) << report.processName << " [" << report.processID << "]\n";
    log << padded("Path:", 17) << report.processPath << "\n";
    log << padded("Identifier:", 17) << report.applicationIdentifier << "\n";
    log << padded("Version:", 17) << version << "\n";
    log << padded("Parent Process:", 17) << "[" << report.parentProcessID << "]\n";
    log << "\n";
    log << padded("Date/Time:", 17) << formatDate(report.timestamp) << "\n";
    log << padded("OS Version:", 17) << report.operatingSystem << " " << report.osVersion << " (" << report.machine
        << ")\n";
    log << "\n";
    log << padded("Exception Type:", 17) << report.signalName << " (" << report.signalCode << ")\n";
    if (report.faultAddress) log << padded("Exception Codes:", 17) << "at " << hex(*report.faultAddress) << "\n";
    log << padded("Crashed Thread:", 17) << report.threadNumber;
    if (!report.threadName.empty()) log << " (" << report.threadName << ")";
    log << "\n";
    if (report.exceptionName || report.exceptionReason) {
        log << "\nApplication Specific Information:\n";
        log << "*** Terminating app due to uncaught exception '" << report.exceptionName.value_or("") << "', reason: '"
            << report.exceptionReason.value_or("") << "'\n";
    }

    std::map<std::string, uint64_t> loaded;
    if (symbolicate) loaded = ownImages();
    log << "\nThread " << report.threadNumber << " Crashed:\n";
    for (size_t i = 0; i < report.backtrace.size(); ++i) {
        uint64_t address = report.backtrace[i];
        const CrashReport::BinaryImage* image = report.imageContaining(address);
        std::string imageName = image ? foundation::path::lastComponent(image->path) : "???";
        log << padded(std::to_string(i), 4) << padded(imageName, 32) << hex(address);
        if (image) {
            log << " " << hex(image->startAddress, 0) << " + " << (address - image->startAddress);
            auto own = loaded.find(image->path);
            if (own != loaded.end()) {
                if (std::optional<std::string> symbol = symbolFor(own->second + image->fileAddress(address)))
                    log << " (" << *symbol << ")";
            }
        }
        log << "\n";
    }

    log << "\nBinary Images:\n";
    for (const auto& image : report.binaryImages) {
        log << padded(hex(image.startAddress), 19) << "- " << padded(hex(image.endAddress), 19)
            << padded(foundation::path::lastComponent(image.path), 32) << image.path << "\n";
    }
    return log.str();
}

}  // namespace crashreporting
