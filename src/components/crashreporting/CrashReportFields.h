#pragma once

// Field numbers of crash_report.proto, for the hand-made encoder that runs in
// the signal handler. They must stay equal to the .proto's; the decoder
// tests read what the encoder writes through the generated code.

#include <cstdint>

namespace crashreporting::fields {

namespace report {
inline constexpr uint32_t kSystemInfo = 1;
inline constexpr uint32_t kApplicationInfo = 2;
inline constexpr uint32_t kProcessInfo = 3;
inline constexpr uint32_t kCrashedThread = 4;
inline constexpr uint32_t kSignal = 5;
inline constexpr uint32_t kException = 6;
inline constexpr uint32_t kBinaryImages = 7;
inline constexpr uint32_t kTimestamp = 8;
}  // namespace report

namespace system {
inline constexpr uint32_t kOperatingSystem = 1;
inline constexpr uint32_t kOsVersion = 2;
inline constexpr uint32_t kMachine = 3;
}  // namespace system

namespace application {
inline constexpr uint32_t kIdentifier = 1;
inline constexpr uint32_t kName = 2;
inline constexpr uint32_t kVersion = 3;
inline constexpr uint32_t kShortVersion = 4;
}  // namespace application

namespace process {
inline constexpr uint32_t kName = 1;
inline constexpr uint32_t kProcessId = 2;
inline constexpr uint32_t kPath = 3;
inline constexpr uint32_t kParentProcessId = 4;
}  // namespace process

namespace thread {
inline constexpr uint32_t kNumber = 1;
inline constexpr uint32_t kName = 2;
inline constexpr uint32_t kFrames = 3;
}  // namespace thread

namespace signal {
inline constexpr uint32_t kName = 1;
inline constexpr uint32_t kCode = 2;
inline constexpr uint32_t kAddress = 3;
inline constexpr uint32_t kNumber = 4;
}  // namespace signal

namespace exception {
inline constexpr uint32_t kName = 1;
inline constexpr uint32_t kReason = 2;
}  // namespace exception

namespace image {
inline constexpr uint32_t kLoadBias = 1;
inline constexpr uint32_t kStartAddress = 2;
inline constexpr uint32_t kEndAddress = 3;
inline constexpr uint32_t kPath = 4;
}  // namespace image

}  // namespace crashreporting::fields
