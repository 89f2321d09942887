#pragma once

// The per-frame metadata file of older projects ("meta-<frameID>.meta"),
// which held, among other things, the text of theme text cards.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <string>

class FrameMeta {
public:
    // Reads the frame's file; an empty dictionary when it is missing or
    // unreadable, no regular file or larger than any earlier release wrote.
    FrameMeta(std::string frameID, std::string andProjectPath);

    const foundation::Value& objectForKey(std::string_view key) const { return dictMeta_.get(key); }
    // A null value removes the key.
    void setValue(foundation::Value value, std::string forKey);
    // Writes the dictionary atomically back to the same file; an empty
    // dictionary succeeds without writing.
    foundation::Status saveMetaData() const;

    const std::string& frameID() const { return frameID_; }
    const std::string& projectPath() const { return projectPath_; }
    const foundation::Dictionary& dictMeta() const { return dictMeta_; }

    // "meta-<frameID>.meta"
    static std::string fileNameForFrameID(const std::string& frameID);

private:
    std::string filePath() const;
    // Identifiers come from project files that may have been imported; one
    // that is not a plain name must not lead to a file outside the project.
    bool hasPlainFrameID() const;

    std::string frameID_;
    std::string projectPath_;
    foundation::Dictionary dictMeta_;
};
