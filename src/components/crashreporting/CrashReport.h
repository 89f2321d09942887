#pragma once

// A decoded crash report: what the crashing process recorded about itself.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace crashreporting {

struct CrashReport {
    struct BinaryImage {
        uint64_t loadBias = 0;
        uint64_t startAddress = 0;
        uint64_t endAddress = 0;
        std::string path;

        bool contains(uint64_t address) const { return address >= startAddress && address < endAddress; }
        // The address as the image file itself numbers it (what addr2line wants).
        uint64_t fileAddress(uint64_t address) const { return address - loadBias; }
    };

    // System
    std::string operatingSystem;
    std::string osVersion;
    std::string machine;
    // Application
    std::string applicationIdentifier;
    std::string applicationName;
    std::string applicationVersion;
    std::string applicationShortVersion;
    // Process
    std::string processName;
    std::string processPath;
    int64_t processID = 0;
    int64_t parentProcessID = 0;
    // Crashed thread
    int64_t threadNumber = 0;
    std::string threadName;
    std::vector<uint64_t> backtrace;  // innermost first
    // Signal
    std::string signalName;
    std::string signalCode;
    int signalNumber = 0;
    std::optional<uint64_t> faultAddress;
    // Uncaught exception, when the crash was one
    std::optional<std::string> exceptionName;
    std::optional<std::string> exceptionReason;

    std::vector<BinaryImage> binaryImages;
    int64_t timestamp = 0;  // seconds since 1970-01-01 UTC; 0 when unknown

    // The image an address lies in; null when none does.
    const BinaryImage* imageContaining(uint64_t address) const;
};

}  // namespace crashreporting
