#pragma once

// The user's music library: the audio files below a folder ($XDG_MUSIC_DIR,
// else the "Music" folder the desktop names, else ~/Music), with their tags
// and cover pictures read by libavformat, and the .m3u playlists found
// there. Tests use a synthetic library of given items, some of which can be
// made unplayable.
//
// While change notifications are generated, the folder is looked at every
// few seconds; when files came, went or changed, the library reads them
// again on a background queue and posts kDidChangeNotification (object: the
// library) on the main run loop.
//
// Main thread only.

#include "platform/foundation/Timer.h"
#include "platform/library/MediaItem.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace library {

class MusicLibrary : public std::enable_shared_from_this<MusicLibrary> {
public:
    static constexpr const char* kDidChangeNotification = "MPMediaLibraryDidChangeNotification";
    static constexpr double kFolderCheckSeconds = 3.0;

    // The library the pickers browse: set by setDefaultMediaLibrary, else one
    // over musicFolder(), made on first use.
    static std::shared_ptr<MusicLibrary> defaultMediaLibrary();
    static void setDefaultMediaLibrary(std::shared_ptr<MusicLibrary> library);
    // $XDG_MUSIC_DIR, else XDG_MUSIC_DIR of user-dirs.dirs, else ~/Music.
    static std::string musicFolder();

    // Reads the folder now; a missing folder is an empty library.
    static std::shared_ptr<MusicLibrary> createWithFolder(std::string folder);
    // Empty at first; reads the folder on a background queue and posts the
    // change notification when its items are in (a large library's tags
    // take long to read).
    static std::shared_ptr<MusicLibrary> readFolderInBackground(std::string folder);
    // A library of exactly these items and playlists (names and the indices
    // of their items); items without an asset URL are unplayable.
    static std::shared_ptr<MusicLibrary> createSynthetic(
        std::vector<MediaItem> items, std::vector<std::pair<std::string, std::vector<size_t>>> playlists = {});
    ~MusicLibrary();

    const std::string& folder() const { return folder_; }
    const std::vector<MediaItemPtr>& items() const { return items_; }
    const std::vector<MediaPlaylistPtr>& playlists() const { return playlists_; }

    // Nested: each begin needs an end.
    void beginGeneratingLibraryChangeNotifications();
    void endGeneratingLibraryChangeNotifications();
    bool isGeneratingLibraryChangeNotifications() const { return notificationUsers_ > 0; }
    // Reads the folder again at once; posts the change notification when
    // anything differs. A synthetic library changes only by replaceItems.
    void reloadIfChanged();
    // For synthetic libraries: new items, then the change notification.
    void replaceItems(std::vector<MediaItem> items,
                      std::vector<std::pair<std::string, std::vector<size_t>>> playlists = {});

private:
    MusicLibrary() = default;
    struct FolderContents {
        std::string signature;
        std::vector<MediaItem> items;
        std::vector<std::pair<std::string, std::vector<size_t>>> playlists;
    };
    // Any thread.
    static FolderContents readFolder(const std::string& folder);
    void apply(FolderContents contents);
    void scanFolder();
    // Reads the folder off the main thread; with a signature, only when the
    // folder no longer has it.
    void readInBackground(std::optional<std::string> unlessSignature = std::nullopt);
    std::string folderSignature() const;
    void setContents(std::vector<MediaItem> items,
                     const std::vector<std::pair<std::string, std::vector<size_t>>>& lists);
    void postChange();

    std::string folder_;
    bool synthetic_ = false;
    std::string signature_;
    std::vector<MediaItemPtr> items_;
    std::vector<MediaPlaylistPtr> playlists_;
    int notificationUsers_ = 0;
    bool reading_ = false;
    foundation::TimerHandle checkTimer_;
};

using MusicLibraryPtr = std::shared_ptr<MusicLibrary>;

// Whether a file's extension names a sound format (mp3, m4a, wav, aif, ...),
// compared without regard to case.
bool isAudioFileName(std::string_view fileName);

}  // namespace library
