#include "app/widgets/categories/UIDevice_Hardware.h"

#include "platform/ui/host/Device.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <net/if.h>
#include <sstream>
#include <string_view>
#include <sys/statvfs.h>
#include <sys/utsname.h>
#include <unistd.h>
#include <utility>

namespace UIDevice_Hardware {

namespace {

// The first line of a small system file, trailing white space and NULs
// (device-tree strings end in one) removed; empty when unreadable.
std::string readFirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    if (!in || !std::getline(in, line)) return {};
    while (!line.empty() && (line.back() == '\0' || line.back() == ' ' || line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}

uint64_t readNumber(const std::string& path) {
    std::string text = readFirstLine(path);
    if (text.empty()) return 0;
    char* end = nullptr;
    unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    return end == text.c_str() ? 0 : value;
}

// A "Name:  value kB" line of /proc/meminfo, in bytes.
uint64_t memInfoBytes(std::string_view key) {
    std::ifstream in("/proc/meminfo");
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() > key.size() && line.compare(0, key.size(), key) == 0 && line[key.size()] == ':') {
            std::istringstream fields(line.substr(key.size() + 1));
            uint64_t kilobytes = 0;
            fields >> kilobytes;
            return kilobytes * 1024;
        }
    }
    return 0;
}

uint64_t cpuFrequencyHz() {
    // The highest rate the first processor may run at, in kHz.
    if (uint64_t khz = readNumber("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq")) return khz * 1000;
    std::ifstream in("/proc/cpuinfo");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("cpu MHz", 0) == 0) {
            auto colon = line.find(':');
            if (colon == std::string::npos) break;
            double mhz = std::strtod(line.c_str() + colon + 1, nullptr);
            return static_cast<uint64_t>(mhz * 1e6);
        }
    }
    return 0;
}

struct statvfs homeVolume(bool* ok) {
    struct statvfs info {};
    const char* home = std::getenv("HOME");
    *ok = ::statvfs(home && *home ? home : "/", &info) == 0;
    return info;
}

bool startsWith(const std::string& text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

std::string getSysInfoByName(const char* name) {
    std::string_view key = name ? name : "";
    if (key == "hw.machine") {
        struct utsname info {};
        if (::uname(&info) != 0) return {};
        return info.machine;
    }
    if (key == "hw.model") {
        std::string model = readFirstLine("/sys/firmware/devicetree/base/model");
        if (model.empty()) model = readFirstLine("/sys/class/dmi/id/product_name");
        return model;
    }
    return {};
}

std::string platform() { return getSysInfoByName("hw.machine"); }

std::string hwmodel() { return getSysInfoByName("hw.model"); }

uint64_t getSysInfo(unsigned selector) {
    switch (selector) {
        case kHardwareCpuCount: {
            long count = ::sysconf(_SC_NPROCESSORS_ONLN);
            return count > 0 ? static_cast<uint64_t>(count) : 0;
        }
        case kHardwarePhysicalMemory: {
            long pages = ::sysconf(_SC_PHYS_PAGES);
            long pageSize = ::sysconf(_SC_PAGESIZE);
            return pages > 0 && pageSize > 0 ? static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize) : 0;
        }
        case kHardwareUserMemory:
            return memInfoBytes("MemAvailable");
        case kHardwareCpuFrequency:
            return cpuFrequencyHz();
        case kHardwareBusFrequency:
            return 0;  // Linux does not report it.
        default:
            return 0;
    }
}

uint64_t cpuFrequency() { return getSysInfo(kHardwareCpuFrequency); }

uint64_t busFrequency() { return getSysInfo(kHardwareBusFrequency); }

uint64_t cpuCount() { return getSysInfo(kHardwareCpuCount); }

uint64_t totalMemory() { return getSysInfo(kHardwarePhysicalMemory); }

uint64_t userMemory() { return getSysInfo(kHardwareUserMemory); }

uint64_t maxSocketBufferSize() {
    // The kernel's limit on a socket's receive buffer; not a hardware value,
    // so it does not go through getSysInfo.
    return readNumber("/proc/sys/net/core/rmem_max");
}

uint64_t totalDiskSpace() {
    bool ok = false;
    struct statvfs info = homeVolume(&ok);
    return ok ? static_cast<uint64_t>(info.f_blocks) * info.f_frsize : 0;
}

uint64_t freeDiskSpace() {
    bool ok = false;
    struct statvfs info = homeVolume(&ok);
    return ok ? static_cast<uint64_t>(info.f_bavail) * info.f_frsize : 0;
}

int platformTypeFor(const std::string& identifier, double mainScreenWidth) {
    if (identifier == "iFPGA") return UIDeviceIFPGA;
    if (identifier == "iPhone1,1") return UIDevice1GiPhone;
    if (identifier == "iPhone1,2") return UIDevice3GiPhone;
    static const std::pair<std::string_view, int> prefixes[] = {
        {"iPhone2", UIDevice3GSiPhone}, {"iPhone3", UIDevice4iPhone},   {"iPhone4", UIDevice4SiPhone},
        {"iPhone5", UIDevice5iPhone},   {"iPod1", UIDevice1GiPod},      {"iPod2", UIDevice2GiPod},
        {"iPod3", UIDevice3GiPod},      {"iPod4", UIDevice4GiPod},      {"iPad1", UIDevice1GiPad},
        {"iPad2", UIDevice2GiPad},      {"iPad3", UIDevice3GiPad},      {"iPad4", UIDevice4GiPad},
        {"AppleTV2", UIDeviceAppleTV2}, {"AppleTV3", UIDeviceAppleTV3}, {"iPhone", UIDeviceUnknowniPhone},
        {"iPod", UIDeviceUnknowniPod},  {"iPad", UIDeviceUnknowniPad},  {"AppleTV", UIDeviceUnknownAppleTV},
    };
    for (const auto& [prefix, type] : prefixes) {
        if (startsWith(identifier, prefix)) return type;
    }
    if (endsWith(identifier, "86") || identifier == "x86_64")
        return mainScreenWidth < 768 ? UIDeviceSimulatoriPhone : UIDeviceSimulatoriPad;
    return UIDeviceUnknown;
}

std::string platformStringFor(int type) {
    static const char* const names[] = {
        "Unknown iOS device",
        "iPhone Simulator",
        "iPhone Simulator",
        "iPad Simulator",
        "Apple TV Simulator",
        "iPhone 1G",
        "iPhone 3G",
        "iPhone 3GS",
        "iPhone 4",
        "iPhone 4S",
        "iPhone 5",
        "iPod touch 1G",
        "iPod touch 2G",
        "iPod touch 3G",
        "iPod touch 4G",
        "iPad 1G",
        "iPad 2G",
        "iPad 3G",
        "iPad 4G",
        "Apple TV 2G",
        "Apple TV 3G",
        "Apple TV 4G",
        "Unknown iPhone",
        "Unknown iPod",
        "Unknown iPad",
        "Unknown Apple TV",
        "iFPGA",
    };
    if (type < 0 || type >= static_cast<int>(std::size(names))) return names[0];
    return names[type];
}

int platformType() { return platformTypeFor(platform(), ui::Device::current().screenBounds().width()); }

std::string platformString() { return platformStringFor(platformType()); }

bool hasRetinaDisplay() { return ui::Device::current().screenScale() == 2.0; }

int deviceFamilyFor(const std::string& identifier) {
    if (startsWith(identifier, "iPhone")) return UIDeviceFamilyiPhone;
    if (startsWith(identifier, "iPod")) return UIDeviceFamilyiPod;
    if (startsWith(identifier, "iPad")) return UIDeviceFamilyiPad;
    if (startsWith(identifier, "AppleTV")) return UIDeviceFamilyAppleTV;
    return UIDeviceFamilyUnknown;
}

int deviceFamily() { return deviceFamilyFor(platform()); }

std::optional<std::string> macaddressOfInterface(const std::string& interfaceName) {
    // The name goes into a path below; only a plain interface name may.
    if (interfaceName.empty() || interfaceName.find('/') != std::string::npos || interfaceName == "." ||
        interfaceName == ".." || ::if_nametoindex(interfaceName.c_str()) == 0) {
        std::fprintf(stderr, "Error: if_nametoindex error\n");
        return std::nullopt;
    }
    std::string address = readFirstLine("/sys/class/net/" + interfaceName + "/address");
    unsigned bytes[6];
    char tail = 0;
    if (std::sscanf(address.c_str(), "%2x:%2x:%2x:%2x:%2x:%2x%c", &bytes[0], &bytes[1], &bytes[2], &bytes[3], &bytes[4],
                    &bytes[5], &tail) != 6) {
        std::fprintf(stderr, "Error: sysctl, take 2\n");
        return std::nullopt;
    }
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", bytes[0], bytes[1], bytes[2], bytes[3], bytes[4],
                  bytes[5]);
    return std::string(text);
}

std::optional<std::string> macaddress() { return macaddressOfInterface("en0"); }

}  // namespace UIDevice_Hardware
