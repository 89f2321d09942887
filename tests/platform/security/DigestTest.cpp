#include "platform/security/Digest.h"
#include "support/Process.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

// Texts of every awkward kind: empty, one byte, a block boundary (55, 56 and
// 64 bytes decide MD5's padding), NUL inside, non-ASCII, binary, long.
std::vector<std::string> sampleTexts() {
    std::vector<std::string> texts = {"",
                                      "a",
                                      "abc",
                                      "http://127.0.0.1:8080/images/photo@2x.png",
                                      std::string(55, 'x'),
                                      std::string(56, 'x'),
                                      std::string(64, 'x'),
                                      std::string("nul\0inside", 10),
                                      "caf\xc3\xa9 \xf0\x9f\x98\x80"};
    std::string binary;
    for (int i = 0; i < 256; ++i) binary.push_back(static_cast<char>(i));
    texts.push_back(binary);
    texts.push_back(std::string(1 << 20, 'z'));
    return texts;
}

std::string hexOf(const std::string& text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : text) {
        hex.push_back(kDigits[c >> 4]);
        hex.push_back(kDigits[c & 0xF]);
    }
    return hex;
}

}  // namespace

TEST(Digest, MD5EqualsPythonHashlibForEveryKindOfInput) {
    const auto texts = sampleTexts();
    // One hex line per text on standard input: a megabyte is too long for arguments.
    std::string input;
    for (const auto& text : texts) input += hexOf(text) + "\n";
    auto result = testsupport::runProcess(
        {"python3", "-c",
         "import hashlib, sys\n"
         "for line in sys.stdin: print(hashlib.md5(bytes.fromhex(line.strip())).hexdigest())\n"},
        input);
    ASSERT_EQ(result.exitCode, 0) << result.output;
    std::istringstream lines(result.output);
    for (const auto& text : texts) {
        std::string expected;
        ASSERT_TRUE(std::getline(lines, expected));
        EXPECT_EQ(security::md5HexString(text), expected) << "input of " << text.size() << " bytes";
    }
}

TEST(Digest, KnownDigestsAndRawBytes) {
    // RFC 1321's own examples pin the result without any outside tool.
    EXPECT_EQ(security::md5HexString(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(security::md5HexString("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    security::MD5Digest raw = security::md5(nullptr, 0);
    EXPECT_EQ(raw[0], 0xd4);
    EXPECT_EQ(raw[15], 0x7e);
    EXPECT_EQ(security::hexString(raw), "d41d8cd98f00b204e9800998ecf8427e");
}

TEST(Digest, SHA1AndHMACSHA1EqualPythonForEveryKindOfInput) {
    const auto texts = sampleTexts();
    // Each text is hashed, and keyed with itself cut to 100 bytes (keys longer
    // than a block are hashed first, shorter ones padded: both paths run).
    std::string input;
    for (const auto& text : texts) input += hexOf(text) + " " + hexOf(text.substr(0, 100)) + "\n";
    auto result = testsupport::runProcess(
        {"python3", "-c",
         "import hashlib, hmac, sys\n"
         "for line in sys.stdin:\n"
         "    text, key = (bytes.fromhex(part) for part in (line.split(' ') + [''])[:2])\n"
         "    print(hashlib.sha1(text).hexdigest(), hmac.new(key, text, 'sha1').hexdigest())\n"},
        input);
    ASSERT_EQ(result.exitCode, 0) << result.output;
    std::istringstream lines(result.output);
    for (const auto& text : texts) {
        std::string sha, mac;
        ASSERT_TRUE(lines >> sha >> mac);
        EXPECT_EQ(security::hexString(security::sha1(text)), sha) << text.size() << " bytes";
        EXPECT_EQ(security::hexString(security::hmacSHA1(text.substr(0, 100), text)), mac) << text.size() << " bytes";
    }
    // RFC 2202's first case pins the keyed form without an outside tool.
    EXPECT_EQ(security::hexString(security::hmacSHA1(std::string(20, '\x0b'), "Hi There")),
              "b617318655057264e28bc0b6fb378c8ef146be00");
}
