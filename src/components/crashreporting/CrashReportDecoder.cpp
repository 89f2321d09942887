#include "components/crashreporting/CrashReportDecoder.h"

#include "crash_report.pb-c.h"
#include "platform/foundation/AtomicFile.h"

#include <memory>

namespace crashreporting {

namespace {

std::string text(const char* value) { return value ? std::string(value) : std::string(); }

struct UnpackedDeleter {
    void operator()(Plcrash__CrashReport* report) const { plcrash__crash_report__free_unpacked(report, nullptr); }
};

foundation::Error corrupt(const std::string& why) {
    return foundation::Error(kCrashReportErrorDomain, kCrashReportCorrupt, "The crash report is damaged: " + why);
}

}  // namespace

const CrashReport::BinaryImage* CrashReport::imageContaining(uint64_t address) const {
    for (const BinaryImage& image : binaryImages)
        if (image.contains(address)) return &image;
    return nullptr;
}

foundation::Result<CrashReport> CrashReportDecoder::decode(const foundation::Bytes& bytes) {
    // An empty message is valid protobuf, but a report always has a signal;
    // an empty file is what a crash during the very first write leaves.
    if (bytes.empty()) return corrupt("the file is empty");
    std::unique_ptr<Plcrash__CrashReport, UnpackedDeleter> message(
        plcrash__crash_report__unpack(nullptr, bytes.size(), bytes.data()));
    if (!message) return corrupt("it is not a crash report");
    if (!message->signal || !message->signal->name) return corrupt("it names no signal");

    CrashReport report;
    if (const auto* system = message->system_info) {
        report.operatingSystem = text(system->operating_system);
        report.osVersion = text(system->os_version);
        report.machine = text(system->machine);
    }
    if (const auto* application = message->application_info) {
        report.applicationIdentifier = text(application->identifier);
        report.applicationName = text(application->name);
        report.applicationVersion = text(application->version);
        report.applicationShortVersion = text(application->short_version);
    }
    if (const auto* process = message->process_info) {
        report.processName = text(process->name);
        report.processPath = text(process->path);
        if (process->has_process_id) report.processID = process->process_id;
        if (process->has_parent_process_id) report.parentProcessID = process->parent_process_id;
    }
    if (const auto* thread = message->crashed_thread) {
        if (thread->has_number) report.threadNumber = thread->number;
        report.threadName = text(thread->name);
        report.backtrace.assign(thread->frames, thread->frames + thread->n_frames);
    }
    const auto* signal = message->signal;
    report.signalName = text(signal->name);
    report.signalCode = text(signal->code);
    if (signal->has_number) report.signalNumber = signal->number;
    if (signal->has_address) report.faultAddress = signal->address;
    if (const auto* exception = message->exception) {
        if (exception->name) report.exceptionName = exception->name;
        if (exception->reason) report.exceptionReason = exception->reason;
    }
    for (size_t i = 0; i < message->n_binary_images; ++i) {
        const auto* image = message->binary_images[i];
        report.binaryImages.push_back({image->load_bias, image->start_address, image->end_address, text(image->path)});
    }
    if (message->has_timestamp) report.timestamp = message->timestamp;
    return report;
}

foundation::Result<CrashReport> CrashReportDecoder::decodeFile(const std::string& path) {
    foundation::Result<foundation::Bytes> bytes = foundation::readFile(path);
    if (!bytes) {
        return foundation::Error(kCrashReportErrorDomain, kCrashReportUnreadable,
                                 "Cannot read the crash report " + path,
                                 std::make_shared<foundation::Error>(bytes.error()));
    }
    foundation::Result<CrashReport> report = decode(*bytes);
    if (!report) {
        foundation::Error error = report.error();
        error.description += " (" + path + ")";
        return error;
    }
    return report;
}

}  // namespace crashreporting
