#include "components/crashreporting/CrashReporter.h"

#include "components/crashreporting/CrashHandlerState.h"
#include "components/crashreporting/CrashReportFields.h"
#include "components/crashreporting/WireWriter.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <exception>
#include <execinfo.h>
#include <link.h>
#include <memory>
#include <mutex>
#include <string>
#include <sys/utsname.h>
#include <unistd.h>
#include <vector>

namespace crashreporting {

namespace detail {

CrashHandlerState& crashHandlerState() {
    // Never destroyed: a crash during exit must still find it.
    static CrashHandlerState* state = new CrashHandlerState();
    return *state;
}

}  // namespace detail

namespace {

namespace f = crashreporting::fields;
using detail::CrashHandlerState;
using detail::crashHandlerState;

// Room for the parts written at crash time: bounded texts, frames and numbers.
constexpr size_t kCrashTimeRoom = 32 * 1024;
// Enough for the handler's own frames plus glibc's unwinder.
constexpr size_t kAlternateStackSize = 256 * 1024;

struct Installation {
    struct sigaction previous[detail::kCaughtSignalCount] = {};
    std::terminate_handler previousTerminate = nullptr;
    stack_t previousStack = {};
    std::unique_ptr<uint8_t[]> alternateStack;
    std::vector<uint8_t> prefix;
    std::vector<uint8_t> buffer;
    bool enabled = false;
};

std::mutex gMutex;

Installation& installation() {
    static Installation* instance = new Installation();
    return *instance;
}

void copyText(char* target, size_t capacity, const std::string& text) {
    size_t length = std::min(text.size(), capacity - 1);
    // A cut inside a UTF-8 sequence would leave text the decoder cannot trust.
    if (length < text.size())
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    std::memcpy(target, text.data(), length);
    target[length] = '\0';
}

std::string executablePath() {
    std::vector<char> buffer(PATH_MAX + 1);
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    return length > 0 ? std::string(buffer.data(), static_cast<size_t>(length)) : std::string();
}

struct ImageSnapshot {
    uint64_t loadBias = 0, start = 0, end = 0;
    std::string path;
};

std::vector<ImageSnapshot> loadedImages(const std::string& mainExecutable) {
    struct Context {
        std::vector<ImageSnapshot> images;
        const std::string* mainExecutable;
    } context{{}, &mainExecutable};
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) -> int {
            auto* context = static_cast<Context*>(data);
            uint64_t low = UINT64_MAX, high = 0;
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                const auto& header = info->dlpi_phdr[i];
                if (header.p_type != PT_LOAD) continue;
                low = std::min<uint64_t>(low, header.p_vaddr);
                high = std::max<uint64_t>(high, header.p_vaddr + header.p_memsz);
            }
            if (high == 0) return 0;
            std::string path = info->dlpi_name && *info->dlpi_name ? info->dlpi_name : "";
            // The main program is listed first and without a name.
            if (path.empty() && context->images.empty()) path = *context->mainExecutable;
            context->images.push_back({info->dlpi_addr, info->dlpi_addr + low, info->dlpi_addr + high, path});
            return 0;
        },
        &context);
    return context.images;
}

std::vector<uint8_t> encodePrefix(const ReportIdentity& identity, const std::string& mainExecutable) {
    std::vector<ImageSnapshot> images = loadedImages(mainExecutable);
    size_t capacity = 4096 + identity.applicationIdentifier.size() + identity.applicationName.size() +
                      identity.version.size() + identity.shortVersion.size();
    for (const auto& image : images) capacity += image.path.size() + 64;
    std::vector<uint8_t> bytes(capacity);
    WireWriter out(bytes.data(), bytes.size());

    utsname system = {};
    uname(&system);
    size_t systemMessage = out.beginMessage(f::report::kSystemInfo);
    out.stringField(f::system::kOperatingSystem, system.sysname);
    out.stringField(f::system::kOsVersion, system.release);
    out.stringField(f::system::kMachine, system.machine);
    out.endMessage(systemMessage);

    size_t application = out.beginMessage(f::report::kApplicationInfo);
    out.stringField(f::application::kIdentifier, identity.applicationIdentifier.c_str());
    out.stringField(f::application::kName, identity.applicationName.c_str());
    out.stringField(f::application::kVersion, identity.version.c_str());
    out.stringField(f::application::kShortVersion, identity.shortVersion.c_str());
    out.endMessage(application);

    for (const auto& image : images) {
        size_t message = out.beginMessage(f::report::kBinaryImages);
        out.varintField(f::image::kLoadBias, image.loadBias);
        out.varintField(f::image::kStartAddress, image.start);
        out.varintField(f::image::kEndAddress, image.end);
        out.stringField(f::image::kPath, image.path.c_str(), PATH_MAX);
        out.endMessage(message);
    }
    bytes.resize(out.overflowed() ? 0 : out.size());
    return bytes;
}

std::string currentExceptionTypeName() {
    std::type_info* type = abi::__cxa_current_exception_type();
    if (!type) return {};
    int status = 0;
    char* demangled = abi::__cxa_demangle(type->name(), nullptr, nullptr, &status);
    std::string name = status == 0 && demangled ? demangled : type->name();
    std::free(demangled);
    return name;
}

[[noreturn]] void onTerminate() {
    CrashHandlerState& state = crashHandlerState();
    if (std::exception_ptr exception = std::current_exception()) {
        copyText(state.exceptionName, sizeof state.exceptionName, currentExceptionTypeName());
        try {
            std::rethrow_exception(exception);
        } catch (const std::exception& error) {
            copyText(state.exceptionReason, sizeof state.exceptionReason, error.what());
        } catch (...) {
            // Not a std::exception: the type name is all there is.
        }
        state.hasException = true;
    }
    // The platform's default handler prints the exception before aborting;
    // keep that, then the SIGABRT handler writes the report.
    std::terminate_handler previous = installation().previousTerminate;
    if (previous && previous != onTerminate) previous();
    std::abort();
}

}  // namespace

foundation::Status CrashReporter::enable(const std::string& reportPath, const ReportIdentity& identity) {
    std::lock_guard lock(gMutex);
    Installation& current = installation();
    CrashHandlerState& state = crashHandlerState();
    const std::string partial = reportPath + ".partial";
    if (reportPath.empty() || partial.size() >= sizeof state.partialPath)
        return foundation::Error(foundation::kPOSIXErrorDomain, ENAMETOOLONG,
                                 "Crash report path is unusable: " + reportPath);

    // The first call loads the unwinder and allocates; after it the call is
    // safe inside the signal handler (see CrashHandler.cpp).
    void* warmUp[4];
    backtrace(warmUp, 4);

    std::string mainExecutable = executablePath();
    std::vector<uint8_t> prefix = encodePrefix(identity, mainExecutable);
    std::vector<uint8_t> buffer(prefix.size() + kCrashTimeRoom);

    // Hold the handlers off while the state they read changes.
    if (current.enabled) {
        for (size_t i = 0; i < detail::kCaughtSignalCount; ++i)
            sigaction(detail::kCaughtSignals[i], &current.previous[i], nullptr);
    }
    copyText(state.reportPath, sizeof state.reportPath, reportPath);
    copyText(state.partialPath, sizeof state.partialPath, partial);
    copyText(state.processName, sizeof state.processName, program_invocation_short_name);
    copyText(state.processPath, sizeof state.processPath, mainExecutable);
    current.prefix = std::move(prefix);
    current.buffer = std::move(buffer);
    state.prefix = current.prefix.data();
    state.prefixLength = current.prefix.size();
    state.buffer = current.buffer.data();
    state.bufferCapacity = current.buffer.size();

    if (!current.enabled) {
        current.alternateStack = std::make_unique<uint8_t[]>(kAlternateStackSize);
        stack_t stack = {};
        stack.ss_sp = current.alternateStack.get();
        stack.ss_size = kAlternateStackSize;
        if (sigaltstack(&stack, &current.previousStack) != 0)
            return foundation::Error::posix(errno, "Cannot install the alternate signal stack");
        current.previousTerminate = std::set_terminate(onTerminate);
    }

    struct sigaction action = {};
    action.sa_sigaction = detail::handleCrashSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    // While one crash is handled the others wait; a fault inside the handler
    // itself then ends the process at once instead of recursing.
    sigemptyset(&action.sa_mask);
    for (int caught : detail::kCaughtSignals) sigaddset(&action.sa_mask, caught);
    for (size_t i = 0; i < detail::kCaughtSignalCount; ++i) {
        if (sigaction(detail::kCaughtSignals[i], &action, &current.previous[i]) != 0)
            return foundation::Error::posix(errno, "Cannot install the crash signal handlers");
    }
    current.enabled = true;
    return {};
}

void CrashReporter::disable() {
    std::lock_guard lock(gMutex);
    Installation& current = installation();
    if (!current.enabled) return;
    for (size_t i = 0; i < detail::kCaughtSignalCount; ++i)
        sigaction(detail::kCaughtSignals[i], &current.previous[i], nullptr);
    std::set_terminate(current.previousTerminate);
    // Our stack stays in place if someone else installed another meanwhile.
    stack_t active = {};
    sigaltstack(nullptr, &active);
    if (active.ss_sp == current.alternateStack.get()) {
        if (current.previousStack.ss_sp && !(current.previousStack.ss_flags & SS_DISABLE)) {
            sigaltstack(&current.previousStack, nullptr);
        } else {
            stack_t off = {};
            off.ss_flags = SS_DISABLE;
            sigaltstack(&off, nullptr);
        }
        current.alternateStack.reset();
    } else {
        // Called from another thread than enable(): the enabling thread may
        // still run on our stack, so it is left in place (and never freed).
        (void)current.alternateStack.release();
    }
    CrashHandlerState& state = crashHandlerState();
    state.buffer = nullptr;
    state.prefix = nullptr;
    state.prefixLength = 0;
    state.bufferCapacity = 0;
    state.reportPath[0] = '\0';
    state.hasException = false;
    current.prefix.clear();
    current.buffer.clear();
    current.enabled = false;
}

bool CrashReporter::isEnabled() {
    std::lock_guard lock(gMutex);
    return installation().enabled;
}

}  // namespace crashreporting
