// 200,000 messages through the rolling file logger (1 MiB files, five kept)
// beside spdlog's rotating file sink with the same limits and line shape.
// The target is a rate of at least 50,000 messages a second; spdlog's time
// is the reference the ratio is printed against.

#include "BenchSupport.h"
#include "components/support/logging/DDFileLogger.h"
#include "components/support/logging/DDLog.h"
#include "support/RunFolder.h"

#include <filesystem>
#include <spdlog/sinks/rotating_file_sink.h>
#include <spdlog/spdlog.h>

namespace {

constexpr int kMessages = 200000;
constexpr double kRequiredRate = 50000;
constexpr size_t kFileSize = 1024 * 1024;
constexpr size_t kFilesKept = 5;

bench::Times oursTimes(const std::filesystem::path& folder) {
    auto manager = std::make_shared<logging::DDLogFileManagerDefault>(folder.string());
    manager->setMaximumNumberOfLogFiles(kFilesKept);
    auto logger = std::make_shared<logging::DDFileLogger>(manager);
    logger->setMaximumFileSize(kFileSize);
    logging::DDLog::addLogger(logger);
    logging::DDLog::flushLog();
    const bench::Times times = bench::measure([] {
        for (int i = 0; i < kMessages; ++i) {
            logging::DDLog::log(true, logging::kLogLevelAll, logging::kLogFlagInfo, 0, __FILE__, __func__, __LINE__,
                                std::nullopt, "message %d of the benchmark with a little payload", i);
        }
        logging::DDLog::flushLog();
    });
    logging::DDLog::removeLogger(logger);
    logging::DDLog::flushLog();
    return times;
}

bench::Times spdlogTimes(const std::filesystem::path& folder) {
    auto sink =
        std::make_shared<spdlog::sinks::rotating_file_sink_mt>((folder / "spdlog.log").string(), kFileSize, kFilesKept);
    spdlog::logger logger("bench", sink);
    logger.set_pattern("%Y/%m/%d %H:%M:%S:%e  %v");
    return bench::measure([&] {
        for (int i = 0; i < kMessages; ++i) logger.info("message {} of the benchmark with a little payload", i);
        logger.flush();
    });
}

}  // namespace

int main() {
    static const testsupport::RunFolder scratch("tollivar-logging-bench");
    const std::filesystem::path root = scratch.path();
    std::filesystem::create_directories(root / "ours");
    std::filesystem::create_directories(root / "spdlog");
    bench::useApplicationFoldersBelow(root);

    // Each side's logger is made and let go outside its timed messages.
    auto side = [&](const char* name, bench::Times (*times)(const std::filesystem::path&)) {
        const auto folder = root / name;
        return bench::Side{[folder, times] { return std::optional(times(folder)); },
                           [folder] { bench::freshFolder(folder); }};
    };
    const auto times = bench::compare(3, side("ours", oursTimes), side("spdlog", spdlogTimes));
    std::filesystem::remove_all(root);

    const double referenceMedian = bench::medianOf(times.reference);
    std::printf("file logger: %.0f messages/s, spdlog rotating sink: %.0f messages/s\n",
                kMessages / bench::medianOf(times.ours), kMessages / referenceMedian);
    // The bound on the ratio that stands for the required rate.
    const double bound = (kMessages / kRequiredRate) / referenceMedian;
    return bench::report("logging_file_logger_200k", times, bench::Target::atMost(bound)) ? 0 : 1;
}
