// 200,000 messages through the rolling file logger (1 MiB files, five kept)
// beside spdlog's rotating file sink with the same limits and line shape.
// The target is a rate of at least 50,000 messages a second; spdlog's time
// is the reference the ratio is printed against.

#include "BenchSupport.h"
#include "components/support/logging/DDFileLogger.h"
#include "components/support/logging/DDLog.h"

#include <filesystem>
#include <spdlog/sinks/rotating_file_sink.h>
#include <spdlog/spdlog.h>

namespace {

constexpr int kMessages = 200000;
constexpr double kRequiredRate = 50000;
constexpr size_t kFileSize = 1024 * 1024;
constexpr size_t kFilesKept = 5;

double oursSeconds(const std::filesystem::path& folder) {
    auto manager = std::make_shared<logging::DDLogFileManagerDefault>(folder.string());
    manager->setMaximumNumberOfLogFiles(kFilesKept);
    auto logger = std::make_shared<logging::DDFileLogger>(manager);
    logger->setMaximumFileSize(kFileSize);
    logging::DDLog::addLogger(logger);
    logging::DDLog::flushLog();
    const double seconds = bench::secondsOf([] {
        for (int i = 0; i < kMessages; ++i) {
            logging::DDLog::log(true, logging::kLogLevelAll, logging::kLogFlagInfo, 0, __FILE__, __func__, __LINE__,
                                std::nullopt, "message %d of the benchmark with a little payload", i);
        }
        logging::DDLog::flushLog();
    });
    logging::DDLog::removeLogger(logger);
    logging::DDLog::flushLog();
    return seconds;
}

double spdlogSeconds(const std::filesystem::path& folder) {
    auto sink =
        std::make_shared<spdlog::sinks::rotating_file_sink_mt>((folder / "spdlog.log").string(), kFileSize, kFilesKept);
    spdlog::logger logger("bench", sink);
    logger.set_pattern("%Y/%m/%d %H:%M:%S:%e  %v");
    return bench::secondsOf([&] {
        for (int i = 0; i < kMessages; ++i) logger.info("message {} of the benchmark with a little payload", i);
        logger.flush();
    });
}

}  // namespace

int main() {
    const auto root = std::filesystem::temp_directory_path() / ("tollivar-logging-bench-" + std::to_string(getpid()));
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "ours");
    std::filesystem::create_directories(root / "spdlog");
    bench::useApplicationFoldersBelow(root);

    std::vector<double> ours;
    std::vector<double> reference;
    for (int run = 0; run < 3; ++run) {
        std::filesystem::remove_all(root / "ours");
        std::filesystem::remove_all(root / "spdlog");
        std::filesystem::create_directories(root / "spdlog");
        ours.push_back(oursSeconds(root / "ours"));
        reference.push_back(spdlogSeconds(root / "spdlog"));
    }
    const double oursMedian = bench::median(ours);
    const double referenceMedian = bench::median(reference);
    std::filesystem::remove_all(root);

    std::printf("file logger: %.0f messages/s, spdlog rotating sink: %.0f messages/s\n", kMessages / oursMedian,
                kMessages / referenceMedian);
    // The bound on the ratio that stands for the required rate.
    const double bound = (kMessages / kRequiredRate) / referenceMedian;
    return bench::printResult("logging_file_logger_200k", oursMedian, referenceMedian, bench::Target::atMost(bound))
               ? 0
               : 1;
}
