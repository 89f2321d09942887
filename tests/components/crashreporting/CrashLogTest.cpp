#include "components/crashreporting/CrashLogFormatter.h"
#include "components/crashreporting/CrashSubmissionXML.h"
#include "support/Process.h"

#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <link.h>

using namespace crashreporting;

namespace {

// The image of this process that holds `address`, as the crash handler records it.
CrashReport::BinaryImage imageHolding(uint64_t address) {
    struct Search {
        uint64_t address;
        CrashReport::BinaryImage image;
    } search{address, {}};
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) -> int {
            auto* search = static_cast<Search*>(data);
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                const auto& header = info->dlpi_phdr[i];
                uint64_t start = info->dlpi_addr + header.p_vaddr;
                if (header.p_type == PT_LOAD && search->address >= start && search->address < start + header.p_memsz) {
                    search->image = {info->dlpi_addr, start, start + header.p_memsz, info->dlpi_name};
                    return 1;
                }
            }
            return 0;
        },
        &search);
    return search.image;
}

// Reads the document with Python's XML parser and prints the fields back.
std::string parsedByPython(const std::string& xml) {
    auto file = std::filesystem::temp_directory_path() / ("tollivar-crash-xml-" + std::to_string(::getpid()) + ".xml");
    std::ofstream(file, std::ios::binary) << xml;
    auto result = testsupport::runPython(
        "import sys, xml.etree.ElementTree as ET\n"
        "crash = ET.parse(sys.argv[1]).getroot().find('crash')\n"
        "sys.stdout.write('|'.join((c.text or '') for c in crash))\n",
        {file.string()});
    std::filesystem::remove(file);
    EXPECT_EQ(result.exitCode, 0) << result.output;
    return result.output;
}

}  // namespace

TEST(CrashLogFormatter, WritesSignalAddressExceptionAndFramesWithImageOffsets) {
    CrashReport report;
    report.processName = "tollivar";
    report.processID = 77;
    report.applicationIdentifier = "com.marrowick.tollivar";
    report.applicationShortVersion = "6.0.0";
    report.applicationVersion = "600";
    report.operatingSystem = "Linux";
    report.osVersion = "6.1.0";
    report.machine = "x86_64";
    report.signalName = "SIGSEGV";
    report.signalCode = "SEGV_MAPERR";
    report.faultAddress = 0x42;
    report.threadNumber = 78;
    report.threadName = "render";
    report.exceptionName = "std::logic_error";
    report.exceptionReason = "bad frame";
    report.timestamp = 1796000000;
    report.binaryImages = {{0x500000, 0x500000, 0x600000, "/opt/tollivar/bin/tollivar"}};
    report.backtrace = {0x500123, 0xdead0000};

    std::string log = CrashLogFormatter::format(report, false);
    EXPECT_NE(log.find("Process:         tollivar [77]\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Version:         6.0.0 (600)\n"), std::string::npos);
    EXPECT_NE(log.find("Date/Time:       2026-11-30 00:53:20 +0000\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Exception Type:  SIGSEGV (SEGV_MAPERR)\n"), std::string::npos);
    EXPECT_NE(log.find("Exception Codes: at 0x0000000000000042\n"), std::string::npos);
    EXPECT_NE(log.find("Crashed Thread:  78 (render)\n"), std::string::npos);
    EXPECT_NE(log.find("*** Terminating app due to uncaught exception 'std::logic_error', reason: 'bad frame'"),
              std::string::npos);
    EXPECT_NE(log.find("0   tollivar                        0x0000000000500123 0x500000 + 291\n"), std::string::npos)
        << log;
    EXPECT_NE(log.find("1   ???                             0x00000000dead0000\n"), std::string::npos) << log;
    EXPECT_NE(log.find("/opt/tollivar/bin/tollivar\n"), std::string::npos);
}

TEST(CrashLogFormatter, NamesFunctionsOfImagesThisProcessHasLoaded) {
    auto address = reinterpret_cast<uint64_t>(dlsym(RTLD_DEFAULT, "getpid"));
    ASSERT_NE(address, 0u);
    CrashReport report;
    report.signalName = "SIGABRT";
    report.binaryImages = {imageHolding(address)};
    ASSERT_FALSE(report.binaryImages[0].path.empty());
    report.backtrace = {address + 1};
    EXPECT_NE(CrashLogFormatter::format(report).find("getpid + 1)"), std::string::npos)
        << CrashLogFormatter::format(report);
    EXPECT_EQ(CrashLogFormatter::format(report, false).find("getpid"), std::string::npos);
}

TEST(CrashSubmissionXML, ParsesBackToTheSameTexts) {
    CrashSubmission submission;
    submission.applicationName = "Tollivar & Co <beta>";
    submission.bundleIdentifier = "com.marrowick.tollivar";
    submission.systemVersion = "6.1.0";
    submission.platform = "x86_64";
    submission.senderVersion = "601";
    submission.version = "600";
    submission.description = "it \"just\" crashed";
    submission.log = "reason: 'a]]>b' <tag> & \xC3\xA9";
    std::string fields = parsedByPython(crashSubmissionXML(submission));
    EXPECT_EQ(fields,
              "Tollivar & Co <beta>|com.marrowick.tollivar|6.1.0|x86_64|601|600|||it \"just\" crashed|"
              "reason: 'a]]>b' <tag> & \xC3\xA9");
}

TEST(CrashSubmissionXML, TextsThatXmlCannotCarryAreReplaced) {
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(xmlSafeText(std::string("a\x01"
                                      "b\0c",
                                      5)),
              "a" + replacement + "b" + replacement + "c");
    EXPECT_EQ(xmlSafeText("tab\tline\n"), "tab\tline\n");
    EXPECT_EQ(xmlSafeText("\xFF"
                          "x"),
              replacement + "x");
    EXPECT_EQ(xmlSafeText("\xC0\xAF"), replacement + replacement);                    // overlong "/"
    EXPECT_EQ(xmlSafeText("\xED\xA0\x80"), replacement + replacement + replacement);  // a lone surrogate
    EXPECT_EQ(xmlSafeText("\xE2\x82"), replacement + replacement);                    // cut short
    EXPECT_EQ(xmlSafeText("\xF0\x9F\x8E\xAC"), "\xF0\x9F\x8E\xAC");
    EXPECT_EQ(xmlCharacterData("]]>]]>"), "<![CDATA[]]]]><![CDATA[>]]]]><![CDATA[>]]>");

    CrashSubmission hostile;
    hostile.log = std::string("bad \x02 byte \xFE and ]]> end", 25);
    hostile.contact = "\x1b[31m";
    std::string fields = parsedByPython(crashSubmissionXML(hostile));
    EXPECT_NE(fields.find("bad " + replacement + " byte " + replacement + " and ]]> end"), std::string::npos) << fields;
}
