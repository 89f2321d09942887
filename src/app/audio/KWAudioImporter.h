#pragma once

// Brings ready audio files into the application. For now this holds the
// "shared-audio" inbox of the documents folder, into which audio files that
// other applications hand over are moved until a project picks them up.

#include <string>

class KWAudioImporter {
public:
    static inline const char* kSharedAudioInboxFolder = "shared-audio";

    // The inbox folder's path (whether or not it exists yet).
    static std::string sharedAudioInboxPath();

    // Creates the inbox with its parents when missing; failures are ignored.
    static void createSharedAudioInboxFolder();

    // Moves the file of a "file:" URL (or an absolute path) into the inbox
    // under its own name. Failures, an existing file of that name among them,
    // are ignored: the source then stays where it was.
    static void importAudioFromFileURL(const std::string& fileURL);
};
