#include "app/audio/KWAudioImporter.h"

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"

#include <cstdio>

namespace {

// The local path a URL names; empty for anything that is not a local file.
std::string localPathOf(const std::string& fileURL) {
    if (fileURL.starts_with("/")) return fileURL;
    return foundation::path::fromFileURL(fileURL).value_or(std::string());
}

}  // namespace

std::string KWAudioImporter::sharedAudioInboxPath() {
    return foundation::path::appending(foundation::Paths::documentsDirectory(), kSharedAudioInboxFolder);
}

void KWAudioImporter::createSharedAudioInboxFolder() {
    auto& files = foundation::FileManager::defaultManager();
    std::string inbox = sharedAudioInboxPath();
    if (files.fileExists(inbox)) return;
    (void)files.createDirectory(inbox, true);
}

void KWAudioImporter::importAudioFromFileURL(const std::string& fileURL) {
    createSharedAudioInboxFolder();
    std::string source = localPathOf(fileURL);
    if (source.empty()) return;
    std::string target = foundation::path::appending(sharedAudioInboxPath(), foundation::path::lastComponent(source));
    // The file manager refuses to replace an existing file, so an earlier
    // file of the same name is never lost.
    auto moved = foundation::FileManager::defaultManager().moveItem(source, target);
    if (!moved) std::fprintf(stderr, "KWAudioImporter: %s not moved into the inbox\n", source.c_str());
}
