#include "HexText.h"
#include "components/dropbox/DBBase64.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <random>
#include <sstream>

namespace {

using dropboxtest::hexOf;

std::string encode(std::string_view bytes) {
    return base64EncodedString(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

TEST(DBBase64, EncodingAndDecodingCases) {
    struct Case {
        std::string bytes;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"", ""},
        {"abc", "YWJj"},
        {"ab", "YWI="},
        {"a", "YQ=="},
        {std::string(54, '\0'), std::string(72, 'A') + "\r\n"},
        {std::string(55, '\0'), std::string(72, 'A') + "\r\nAA=="},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(encode(c.bytes), c.text) << c.bytes.size() << " bytes";
        EXPECT_EQ(base64DecodedString(c.text), c.bytes) << c.text;
    }
    EXPECT_EQ(encode(std::string(20, 'x')).size(), 28u);
    EXPECT_TRUE(encode(std::string(20, 'x')).ends_with("=") && !encode(std::string(20, 'x')).ends_with("=="));

    // Lenient decoding: breaks, blanks, foreign and high bytes skipped; stops at "=".
    const std::vector<std::pair<std::string, std::string>> lenient = {
        {"YW\nJj", "abc"},       {" Y W J j ", "abc"}, {"Y\xff\x80WJj", "abc"},
        {"YWJj=ignored", "abc"}, {"YQ", "a"},          {"Y", ""},
    };
    for (const auto& [text, bytes] : lenient) EXPECT_EQ(base64DecodedString(text), bytes) << text;
}

TEST(DBBase64, TooSmallBuffersFailWithoutWriting) {
    char out[8] = "-------";
    size_t capacity = 3;
    const uint8_t abc[] = {'a', 'b', 'c'};
    EXPECT_FALSE(base64EncodeBytes(abc, 3, out, &capacity));
    EXPECT_EQ(capacity, 3u);
    EXPECT_EQ(out[0], '-');
    uint8_t decoded[2];
    size_t decodedCapacity = 2;
    EXPECT_FALSE(base64DecodeBytes("YWJj", 4, decoded, &decodedCapacity));
    EXPECT_EQ(base64DecodedSizeEstimate(0), 0);
    EXPECT_EQ(base64DecodedSizeEstimate(5), 6);
}

TEST(DBBase64, EqualsPythonOnRandomBuffers) {
    std::mt19937 random(18);
    std::vector<std::string> buffers;
    std::string input;
    for (int i = 0; i < 1000; ++i) {
        std::string buffer(random() % 300, '\0');
        for (char& c : buffer) c = static_cast<char>(random());
        input += hexOf(buffer) + "\n";
        buffers.push_back(std::move(buffer));
    }
    // Through a file: a pipe both ways would fill up and stall both sides.
    testsupport::TempAppFolders folders;
    const std::string inputFile = folders.root() + "/input.txt";
    testsupport::writeFileBytes(inputFile, input);
    auto result = testsupport::runProcess(
        {"python3", "-c",
         "import base64, sys\n"
         "for line in open(sys.argv[1]): print(base64.b64encode(bytes.fromhex(line.strip())).decode())\n",
         inputFile});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    std::istringstream lines(result.output);
    for (const std::string& buffer : buffers) {
        std::string expected;
        ASSERT_TRUE(std::getline(lines, expected));
        std::string ours = encode(buffer);
        // Lines of exactly 72 characters, each but a short last one ended by CR LF.
        std::string joined;
        for (size_t at = 0; at < ours.size();) {
            size_t end = ours.find("\r\n", at);
            std::string line = ours.substr(at, end == std::string::npos ? std::string::npos : end - at);
            if (end != std::string::npos) {
                EXPECT_EQ(line.size(), 72u);
            }
            joined += line;
            at = end == std::string::npos ? ours.size() : end + 2;
        }
        ASSERT_EQ(joined, expected) << buffer.size() << " bytes";
        ASSERT_EQ(base64DecodedString(ours), buffer);
    }
}
