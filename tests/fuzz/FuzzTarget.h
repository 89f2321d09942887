#pragma once

// One fuzz target per decoder of outside input. A target file defines its
// entry with
//
//     TOLLIVAR_FUZZ_TARGET(plist) {
//         auto value = foundation::plist::parse(fuzzing::bytes(data, size));
//         ...
//         return 0;
//     }
//
// The fuzz preset (clang, libFuzzer) builds each target file into a program
// of its own, `fuzz_plist`, whose LLVMFuzzerTestOneInput is this entry. The
// test build puts every target into one replay program instead, which feeds
// each file of a target's checked-in corpus and reproducers to its entry (see
// ReplayMain.cpp), so that the ordinary test run needs no libFuzzer.
//
// An entry must never crash, leak or trip a sanitizer, whatever the bytes:
// damaged input is the decoder's error to report. An entry that needs a
// scratch folder, a run loop or Qt sets it up once, through the helpers below.

#include "platform/foundation/Value.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace fuzzing {

using Entry = int (*)(const uint8_t* data, size_t size);

// Makes the entry known to the replay program under `name`; true.
bool registerTarget(const char* name, Entry entry);
// The entry registered under `name`; null when there is none.
Entry findTarget(std::string_view name);

inline foundation::Bytes bytes(const uint8_t* data, size_t size) { return foundation::Bytes(data, data + size); }
inline std::string_view text(const uint8_t* data, size_t size) {
    return std::string_view(reinterpret_cast<const char*>(data), size);
}

// The input cut at the first occurrence of `separator`: what stands before it
// and what follows it (everything and nothing without one). Lets one input
// carry two parts, such as a page and the texts put into it.
std::pair<std::string_view, std::string_view> splitAt(std::string_view input, std::string_view separator);

// Points the application's folders (documents, caches, configuration,
// temporary) at a fresh folder of this process, removed again at exit.
// The first call makes it; later calls return the same root.
const std::string& scratchRoot();
// Writes `size` bytes to `name` inside the scratch root and returns the path.
std::string writeScratchFile(const std::string& name, const uint8_t* data, size_t size);

}  // namespace fuzzing

#ifdef TOLLIVAR_LIBFUZZER
#define TOLLIVAR_FUZZ_TARGET(name)                                                        \
    static int fuzz_##name(const uint8_t* data, size_t size);                             \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {             \
        return fuzz_##name(data, size);                                                   \
    }                                                                                     \
    static int fuzz_##name(const uint8_t* data, size_t size)
#else
#define TOLLIVAR_FUZZ_TARGET(name)                                                        \
    static int fuzz_##name(const uint8_t* data, size_t size);                             \
    [[maybe_unused]] static const bool fuzz_registered_##name =                           \
        ::fuzzing::registerTarget(#name, fuzz_##name);                                    \
    static int fuzz_##name(const uint8_t* data, size_t size)
#endif
