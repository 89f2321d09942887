// Replays checked-in inputs through one fuzz target, without libFuzzer:
//
//     fuzz_replay <target> <folder>...
//
// Every regular file below each folder goes through the target's entry once,
// in name order. A folder that does not exist counts as empty; a target that
// finds no input at all fails, so a corpus that went missing is noticed. A
// crash, a sanitizer report or an exception ends the program as it would end
// a fuzzing run.

#include "FuzzTarget.h"

#include "platform/foundation/AtomicFile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <target> <folder>...\n", argv[0]);
        return 2;
    }
    fuzzing::Entry entry = fuzzing::findTarget(argv[1]);
    if (!entry) {
        std::fprintf(stderr, "fuzz_replay: no target named %s\n", argv[1]);
        return 2;
    }
    std::vector<fs::path> inputs;
    for (int i = 2; i < argc; ++i) {
        std::error_code error;
        if (!fs::is_directory(argv[i], error)) continue;
        for (const auto& file : fs::recursive_directory_iterator(argv[i]))
            if (file.is_regular_file()) inputs.push_back(file.path());
    }
    std::sort(inputs.begin(), inputs.end());
    if (inputs.empty()) {
        std::fprintf(stderr, "fuzz_replay: no inputs for %s\n", argv[1]);
        return 1;
    }
    for (const fs::path& input : inputs) {
        auto data = foundation::readFile(input.string());
        if (!data.ok()) {
            std::fprintf(stderr, "fuzz_replay: cannot read %s: %s\n", input.c_str(), data.error().description.c_str());
            return 1;
        }
        // A block of exactly the file's length, as libFuzzer hands it over, so
        // that the address sanitizer sees any read past the end.
        auto exact = std::make_unique<uint8_t[]>(data->size());
        std::copy(data->begin(), data->end(), exact.get());
        std::fprintf(stderr, "%s: %s\n", argv[1], input.filename().c_str());
        entry(exact.get(), data->size());
    }
    std::printf("fuzz_replay: %s replayed %zu inputs\n", argv[1], inputs.size());
    return 0;
}
