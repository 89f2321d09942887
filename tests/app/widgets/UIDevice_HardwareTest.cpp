#include "app/widgets/categories/UIDevice_Hardware.h"
#include "platform/ui/host/Device.h"
#include "support/Process.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <utility>

namespace {

using namespace UIDevice_Hardware;

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

TEST(DeviceModel, ClassifiesIdentifiersInTableOrder) {
    // Only the exact first-generation identifiers match; other "iPhone1" are unknown.
    const std::tuple<const char*, double, int> cases[] = {
        {"iPhone7,2", 320, UIDeviceUnknowniPhone},   {"iPhone1,2", 320, UIDevice3GiPhone},
        {"iPhone1,1", 320, UIDevice1GiPhone},        {"iPhone1,3", 320, UIDeviceUnknowniPhone},
        {"iPhone3,1", 320, UIDevice4iPhone},         {"iPod4,1", 320, UIDevice4GiPod},
        {"iPod7,1", 320, UIDeviceUnknowniPod},       {"iPad2,5", 768, UIDevice2GiPad},
        {"iPad6,8", 768, UIDeviceUnknowniPad},       {"AppleTV3,2", 768, UIDeviceAppleTV3},
        {"AppleTV5,3", 768, UIDeviceUnknownAppleTV}, {"iFPGA", 768, UIDeviceIFPGA},
    };
    for (const auto& [identifier, width, type] : cases)
        EXPECT_EQ(platformTypeFor(identifier, width), type) << identifier;
    EXPECT_EQ(platformStringFor(UIDeviceUnknowniPhone), "Unknown iPhone");
    EXPECT_EQ(platformStringFor(UIDevice3GiPhone), "iPhone 3G");
    EXPECT_EQ(platformStringFor(UIDeviceIFPGA), "iFPGA");
}

TEST(DeviceModel, SimulatorDependsOnScreenWidth) {
    EXPECT_EQ(platformTypeFor("x86_64", 768), UIDeviceSimulatoriPad);
    EXPECT_EQ(platformStringFor(UIDeviceSimulatoriPad), "iPad Simulator");
    EXPECT_EQ(platformTypeFor("x86_64", 767.5), UIDeviceSimulatoriPhone);
    EXPECT_EQ(platformTypeFor("i386", 320), UIDeviceSimulatoriPhone);
    EXPECT_EQ(platformStringFor(UIDeviceSimulatoriPhone), "iPhone Simulator");
    EXPECT_EQ(platformTypeFor("i686", 1024), UIDeviceSimulatoriPad);
    // Nothing matches: unknown, and no family.
    EXPECT_EQ(platformTypeFor("aarch64", 1024), UIDeviceUnknown);
    EXPECT_EQ(platformStringFor(UIDeviceUnknown), "Unknown iOS device");
    EXPECT_EQ(deviceFamilyFor("aarch64"), UIDeviceFamilyUnknown);
    EXPECT_EQ(platformStringFor(99), "Unknown iOS device");
    EXPECT_EQ(platformStringFor(-1), "Unknown iOS device");
}

TEST(DeviceModel, Families) {
    for (auto [identifier, family] : {std::pair{"iPhone5,2", UIDeviceFamilyiPhone},
                                      {"iPod5,1", UIDeviceFamilyiPod},
                                      {"iPad3,4", UIDeviceFamilyiPad},
                                      {"AppleTV2,1", UIDeviceFamilyAppleTV},
                                      {"", UIDeviceFamilyUnknown}})
        EXPECT_EQ(deviceFamilyFor(identifier), family) << identifier;
}

TEST(DeviceModel, ThisMachineAndItsScreen) {
    auto uname = testsupport::runProcess({"uname", "-m"});
    ASSERT_EQ(uname.exitCode, 0);
    EXPECT_EQ(platform(), trimmed(uname.output));
    EXPECT_EQ(deviceFamily(), UIDeviceFamilyUnknown);

    ui::Device& device = ui::Device::current();
    device.setScreenBounds({0, 0, 568, 320});
    device.setScreenScale(2.0);
    int phoneType = platformType();
    bool retina = hasRetinaDisplay();
    device.setScreenBounds({0, 0, 1024, 768});
    device.setScreenScale(1.0);
    int tabletType = platformType();
    bool tabletRetina = hasRetinaDisplay();
    device.resetForTesting();

    EXPECT_TRUE(retina);
    EXPECT_FALSE(tabletRetina);
    if (platform() == "x86_64") {
        EXPECT_EQ(phoneType, UIDeviceSimulatoriPhone);
        EXPECT_EQ(tabletType, UIDeviceSimulatoriPad);
    } else {
        EXPECT_EQ(phoneType, platformTypeFor(platform(), 568));
    }
    EXPECT_EQ(getSysInfoByName("hw.nosuchname"), "");
}

TEST(DeviceHardware, FiguresAgreeWithTheSystemTools) {
    auto nproc = testsupport::runProcess({"getconf", "_NPROCESSORS_ONLN"});
    ASSERT_EQ(nproc.exitCode, 0);
    EXPECT_EQ(cpuCount(), std::stoull(trimmed(nproc.output)));

    // /proc/meminfo's total is a little below the physical pages; both in kB.
    auto mem = testsupport::runPython("import os\nprint(os.sysconf('SC_PHYS_PAGES') * os.sysconf('SC_PAGE_SIZE'))\n");
    ASSERT_EQ(mem.exitCode, 0) << mem.output;
    EXPECT_EQ(totalMemory(), std::stoull(trimmed(mem.output)));
    EXPECT_GT(userMemory(), 0u);
    EXPECT_LE(userMemory(), totalMemory());
    EXPECT_EQ(getSysInfo(2), 0u);
    EXPECT_EQ(busFrequency(), 0u);

    auto disk = testsupport::runPython(
        "import os, shutil\nu = shutil.disk_usage(os.environ.get('HOME') or '/')\nprint(u.total)\n");
    ASSERT_EQ(disk.exitCode, 0) << disk.output;
    EXPECT_EQ(totalDiskSpace(), std::stoull(trimmed(disk.output)));
    EXPECT_GT(freeDiskSpace(), 0u);
    EXPECT_LE(freeDiskSpace(), totalDiskSpace());

    auto rmem = testsupport::runProcess({"cat", "/proc/sys/net/core/rmem_max"});
    if (rmem.exitCode == 0) {
        EXPECT_EQ(maxSocketBufferSize(), std::stoull(trimmed(rmem.output)));
    }
}

TEST(DeviceHardware, HardwareAddresses) {
    EXPECT_EQ(macaddressOfInterface("lo"), "00:00:00:00:00:00");
    EXPECT_FALSE(macaddressOfInterface("nosuchif0").has_value());
    EXPECT_FALSE(macaddressOfInterface("../lo").has_value());
    EXPECT_FALSE(macaddressOfInterface("").has_value());
    auto en0 = testsupport::runProcess({"cat", "/sys/class/net/en0/address"});
    if (en0.exitCode != 0) {
        EXPECT_FALSE(macaddress().has_value());
    }
}

}  // namespace
