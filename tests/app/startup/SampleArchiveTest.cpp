// The introduction project archive the build generates, as outside tools and
// the project store read it.

#include "support/Process.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

const std::string kArchive = std::string(TOLLIVAR_BUILD_RESOURCES) + "/sample/sample.zip";

TEST(SampleArchive, IsASoundZipOfAProjectWithAtLeast24Frames) {
    ASSERT_TRUE(std::filesystem::exists(kArchive));
    auto unzip = testsupport::runProcess({"unzip", "-t", "-q", kArchive});
    EXPECT_EQ(unzip.exitCode, 0) << unzip.output;

    auto check = testsupport::runPython(R"(
import io, plistlib, sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
names = z.namelist()
assert all(not n.startswith('/') and '..' not in n.split('/') for n in names), names
meta = plistlib.loads(z.read('kelbrin.meta'))
frames = plistlib.loads(z.read('frames.meta'))
pictures = [n for n in names if n.startswith('frame-') and n.endswith('.jpg')]
for n in pictures:
    head = z.read(n)[:3]
    assert head == b'\xff\xd8\xff', n
thumb = 'preview-%s.jpg' % meta['META_RECORD_THUMB_FRAME_ID']
print(len(pictures) >= 24, meta['ProductVersion'], int(meta['RecordFPS']), meta['RecordName'], thumb in names)
)",
                                        {kArchive});
    EXPECT_EQ(check.exitCode, 0) << check.output;
    EXPECT_EQ(check.output, "True 6.0 12 Sunrise True\n");
}

}  // namespace
