#pragma once

// Hardware facts of the machine: identifier and model, processor, memory and
// disk figures, a family and model classification with display names, the
// display scale and a network interface's hardware address.
//
// On Linux the identifier is the kernel's machine name (uname), so a PC
// classifies as the simulator entry of the table; the phone identifiers the
// table knows are still classified when handed to platformTypeFor.

#include <cstdint>
#include <optional>
#include <string>

namespace UIDevice_Hardware {

// The model codes of platformType.
enum PlatformType : int {
    UIDeviceUnknown = 0,
    UIDeviceSimulator = 1,
    UIDeviceSimulatoriPhone = 2,
    UIDeviceSimulatoriPad = 3,
    UIDeviceSimulatorAppleTV = 4,
    UIDevice1GiPhone = 5,
    UIDevice3GiPhone = 6,
    UIDevice3GSiPhone = 7,
    UIDevice4iPhone = 8,
    UIDevice4SiPhone = 9,
    UIDevice5iPhone = 10,
    UIDevice1GiPod = 11,
    UIDevice2GiPod = 12,
    UIDevice3GiPod = 13,
    UIDevice4GiPod = 14,
    UIDevice1GiPad = 15,
    UIDevice2GiPad = 16,
    UIDevice3GiPad = 17,
    UIDevice4GiPad = 18,
    UIDeviceAppleTV2 = 19,
    UIDeviceAppleTV3 = 20,
    UIDeviceAppleTV4 = 21,
    UIDeviceUnknowniPhone = 22,
    UIDeviceUnknowniPod = 23,
    UIDeviceUnknowniPad = 24,
    UIDeviceUnknownAppleTV = 25,
    UIDeviceIFPGA = 26,
};

// The families of deviceFamily.
enum DeviceFamily : int {
    UIDeviceFamilyiPhone = 0,
    UIDeviceFamilyiPod = 1,
    UIDeviceFamilyiPad = 2,
    UIDeviceFamilyAppleTV = 3,
    UIDeviceFamilyUnknown = 4,
};

// Hardware selectors of getSysInfo.
enum HardwareSelector : unsigned {
    kHardwareCpuCount = 3,
    kHardwarePhysicalMemory = 5,
    kHardwareUserMemory = 6,
    kHardwareBusFrequency = 14,
    kHardwareCpuFrequency = 15,
};

// A named string value: "hw.machine" (the kernel's machine name) and
// "hw.model" (the board or product name the firmware reports). Empty for
// other names and when the system does not tell.
std::string getSysInfoByName(const char* name);
std::string platform();
std::string hwmodel();

// A numeric hardware value by selector; 0 when the system does not tell.
// Wide enough for memory sizes beyond 4 GB.
uint64_t getSysInfo(unsigned selector);
uint64_t cpuFrequency();  // Hz
uint64_t busFrequency();  // Hz
uint64_t cpuCount();
uint64_t totalMemory();  // bytes
uint64_t userMemory();   // bytes available to programs
// The largest receive buffer a socket may ask for, in bytes.
uint64_t maxSocketBufferSize();

// Size and free space of the volume that holds the home folder, in bytes.
uint64_t totalDiskSpace();
uint64_t freeDiskSpace();

int platformType();
std::string platformString();
// The classification of an identifier on a main screen of the given width.
int platformTypeFor(const std::string& identifier, double mainScreenWidth);
// The display name of a model code; "Unknown iOS device" for unknown codes.
std::string platformStringFor(int type);

bool hasRetinaDisplay();
int deviceFamily();
int deviceFamilyFor(const std::string& identifier);

// "XX:XX:XX:XX:XX:XX" of the interface "en0"; none (with a line on standard
// error) when there is no such interface.
std::optional<std::string> macaddress();
std::optional<std::string> macaddressOfInterface(const std::string& interfaceName);

}  // namespace UIDevice_Hardware
