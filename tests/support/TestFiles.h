#pragma once

// Small file chores of tests: whole files in and out, a folder's names, and
// a file system of a child process's own for what a full or read-only
// device does.

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// The file's bytes; empty when it cannot be read.
std::string readFileBytes(const std::string& path);
// Writes the bytes, making missing parent folders first.
void writeFileBytes(const std::string& path, const std::string& bytes);
// The names in a folder, sorted.
std::vector<std::string> namesInFolder(const std::string& folder);

// What onPrivateDevice returns when this machine lets no test mount a file
// system (then skip the test).
inline constexpr int kNoPrivateDevice = 77;

// Runs `body` in a forked child (ChildProcess::forked) in which `folder` is
// a new, empty file system of `kilobytes`, read-only when asked; nothing
// outside the child sees it. The body's exit code, or kNoPrivateDevice.
// The folders of `keep` below `folder` stay there, as writable as before: a
// test may hide /tmp although its build tree lies there.
int onPrivateDevice(const std::string& folder, int kilobytes, bool readOnly, const std::function<int()>& body,
                    const std::vector<std::string>& keep = {});

}  // namespace testsupport
