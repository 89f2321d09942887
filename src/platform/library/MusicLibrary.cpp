#include "platform/library/MusicLibrary.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/MediaMetadata.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <system_error>

namespace library {

namespace fs = std::filesystem;

namespace {

// Hostile or looping folders: no deeper than this, no more files than that.
constexpr int kMaxDepth = 16;
constexpr size_t kMaxFiles = 20000;
constexpr size_t kMaxPlaylistBytes = 4 * 1024 * 1024;

constexpr std::array kAudioExtensions = {"mp3",  "m4a", "m4b",  "aac", "adts", "wav",  "aif", "aiff",
                                         "aifc", "caf", "flac", "ogg", "oga",  "opus", "au",  "snd"};

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool isAudioFile(const fs::path& path) { return isAudioFileName(path.string()); }

// FNV-1a of a path: the same file keeps its identifier across readings.
uint64_t identifierFor(const std::string& text) {
    uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

int leadingNumber(const std::string& text) {
    return std::atoi(text.c_str());  // "3/12" → 3; none → 0
}

std::optional<int> yearOf(const std::string& date) {
    if (date.size() < 4 ||
        !std::all_of(date.begin(), date.begin() + 4, [](unsigned char c) { return std::isdigit(c); }))
        return std::nullopt;
    return std::stoi(date.substr(0, 4));
}

std::vector<fs::path> filesBelow(const std::string& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    fs::recursive_directory_iterator walk(folder, fs::directory_options::skip_permission_denied, error), end;
    for (; !error && walk != end && files.size() < kMaxFiles; walk.increment(error)) {
        if (walk.depth() >= kMaxDepth) walk.disable_recursion_pending();
        std::error_code statError;
        if (walk->is_regular_file(statError)) files.push_back(walk->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// What changes when files come, go or change: names, sizes and times.
std::string signatureOf(const std::string& folder) {
    std::string signature;
    for (const fs::path& file : filesBelow(folder)) {
        std::error_code error;
        const auto size = fs::file_size(file, error);
        const auto time = fs::last_write_time(file, error).time_since_epoch().count();
        signature += file.string() + "\n" + std::to_string(size) + "\n" + std::to_string(time) + "\n";
    }
    return signature;
}

MediaItem itemForFile(const fs::path& path) {
    MediaItem item;
    item.persistentID = identifierFor(path.string());
    item.assetURL = path.string();
    item.title = path.stem().string();
    auto metadata = media::readMediaMetadata(path.string());
    if (!metadata.ok()) return item;
    if (auto title = metadata->tag("title"); !title.empty()) item.title = title;
    item.artist = metadata->tag("artist");
    item.albumArtist = metadata->tag("album_artist");
    if (item.albumArtist.empty()) item.albumArtist = item.artist;
    item.albumTitle = metadata->tag("album");
    item.trackNumber = leadingNumber(metadata->tag("track"));
    item.year = yearOf(metadata->tag("date"));
    if (!item.year) item.year = yearOf(metadata->tag("year"));
    item.playbackDuration = metadata->durationSeconds;
    item.artworkData = std::move(metadata->artwork);
    return item;
}

// The entries of an .m3u file that name files of the library, in order.
std::pair<std::string, std::vector<size_t>> readPlaylist(const fs::path& path,
                                                         const std::map<std::string, size_t>& indexOfFile) {
    std::string name = path.stem().string();
    std::vector<size_t> entries;
    std::error_code error;
    if (fs::file_size(path, error) > kMaxPlaylistBytes || error) return {name, entries};
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("#PLAYLIST:", 0) == 0) {
            if (line.size() > 10) name = line.substr(10);
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        if (line.rfind("file://", 0) == 0) line = foundation::path::fromFileURL(line).value_or("");
        fs::path entry(line);
        if (entry.is_relative()) entry = path.parent_path() / entry;
        const fs::path canonical = fs::weakly_canonical(entry, error);
        if (error) continue;
        if (auto found = indexOfFile.find(canonical.string()); found != indexOfFile.end())
            entries.push_back(found->second);
    }
    return {name, entries};
}

std::optional<std::string> userDirsMusicFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string folder = config && *config ? config : (home ? std::string(home) + "/.config" : "");
    std::ifstream in(folder + "/user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        const std::string key = "XDG_MUSIC_DIR=\"";
        if (line.rfind(key, 0) != 0 || line.size() < key.size() + 1 || line.back() != '"') continue;
        std::string value = line.substr(key.size(), line.size() - key.size() - 1);
        if (value.rfind("$HOME", 0) == 0) value = (home ? std::string(home) : std::string()) + value.substr(5);
        return value;
    }
    return std::nullopt;
}

std::shared_ptr<MusicLibrary>& defaultSlot() {
    static std::shared_ptr<MusicLibrary> library;
    return library;
}

}  // namespace

bool isAudioFileName(std::string_view fileName) {
    const std::string extension = lowercase(foundation::path::extension(fileName));
    return std::find(kAudioExtensions.begin(), kAudioExtensions.end(), extension) != kAudioExtensions.end();
}

std::shared_ptr<MusicLibrary> MusicLibrary::defaultMediaLibrary() {
    auto& slot = defaultSlot();
    if (!slot) slot = readFolderInBackground(musicFolder());
    return slot;
}

void MusicLibrary::setDefaultMediaLibrary(std::shared_ptr<MusicLibrary> library) { defaultSlot() = std::move(library); }

std::string MusicLibrary::musicFolder() {
    if (const char* folder = std::getenv("XDG_MUSIC_DIR"); folder && *folder) return folder;
    if (auto folder = userDirsMusicFolder()) return *folder;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/Music";
}

std::shared_ptr<MusicLibrary> MusicLibrary::createWithFolder(std::string folder) {
    std::shared_ptr<MusicLibrary> library(new MusicLibrary());
    library->folder_ = std::move(folder);
    library->scanFolder();
    return library;
}

std::shared_ptr<MusicLibrary> MusicLibrary::readFolderInBackground(std::string folder) {
    std::shared_ptr<MusicLibrary> library(new MusicLibrary());
    library->folder_ = std::move(folder);
    library->readInBackground();
    return library;
}

std::shared_ptr<MusicLibrary> MusicLibrary::createSynthetic(
    std::vector<MediaItem> items, std::vector<std::pair<std::string, std::vector<size_t>>> playlists) {
    std::shared_ptr<MusicLibrary> library(new MusicLibrary());
    library->synthetic_ = true;
    library->setContents(std::move(items), playlists);
    return library;
}

MusicLibrary::~MusicLibrary() {
    if (checkTimer_) checkTimer_->invalidate();
}

void MusicLibrary::setContents(std::vector<MediaItem> items,
                               const std::vector<std::pair<std::string, std::vector<size_t>>>& lists) {
    items_.clear();
    for (auto& item : items) {
        if (item.persistentID == 0) item.persistentID = identifierFor(item.title + "\n" + item.albumTitle);
        items_.push_back(std::make_shared<const MediaItem>(std::move(item)));
    }
    playlists_.clear();
    for (const auto& [name, indices] : lists) {
        std::vector<MediaItemPtr> members;
        for (size_t index : indices)
            if (index < items_.size()) members.push_back(items_[index]);
        playlists_.push_back(std::make_shared<const MediaPlaylist>(identifierFor("playlist\n" + folder_ + "\n" + name),
                                                                   name, std::move(members)));
    }
}

std::string MusicLibrary::folderSignature() const { return signatureOf(folder_); }

MusicLibrary::FolderContents MusicLibrary::readFolder(const std::string& folder) {
    FolderContents contents;
    contents.signature = signatureOf(folder);
    std::map<std::string, size_t> indexOfFile;
    std::vector<fs::path> playlistFiles;
    for (const fs::path& file : filesBelow(folder)) {
        const std::string extension = lowercase(foundation::path::extension(file.string()));
        if (extension == "m3u" || extension == "m3u8") {
            playlistFiles.push_back(file);
            continue;
        }
        if (!isAudioFile(file)) continue;
        std::error_code error;
        indexOfFile[fs::weakly_canonical(file, error).string()] = contents.items.size();
        contents.items.push_back(itemForFile(file));
    }
    for (const fs::path& file : playlistFiles) contents.playlists.push_back(readPlaylist(file, indexOfFile));
    return contents;
}

void MusicLibrary::apply(FolderContents contents) {
    signature_ = std::move(contents.signature);
    setContents(std::move(contents.items), contents.playlists);
}

void MusicLibrary::scanFolder() { apply(readFolder(folder_)); }

void MusicLibrary::readInBackground(std::optional<std::string> unlessSignature) {
    if (reading_) return;
    reading_ = true;
    std::weak_ptr<MusicLibrary> weak = weak_from_this();
    // The folder walk that tells whether anything changed runs here too, off
    // the main thread: a large music folder takes a while to walk.
    foundation::DispatchQueue::global(foundation::QueuePriority::Low)
        .async([weak, folder = folder_, unlessSignature = std::move(unlessSignature)] {
            std::shared_ptr<FolderContents> contents;
            if (!unlessSignature || signatureOf(folder) != *unlessSignature)
                contents = std::make_shared<FolderContents>(readFolder(folder));
            foundation::DispatchQueue::main().async([weak, contents] {
                auto self = weak.lock();
                if (!self) return;
                self->reading_ = false;
                if (!contents) return;
                self->apply(std::move(*contents));
                self->postChange();
            });
        });
}

void MusicLibrary::reloadIfChanged() {
    if (synthetic_) return;
    if (folderSignature() == signature_) return;
    scanFolder();
    postChange();
}

void MusicLibrary::replaceItems(std::vector<MediaItem> items,
                                std::vector<std::pair<std::string, std::vector<size_t>>> playlists) {
    setContents(std::move(items), playlists);
    postChange();
}

void MusicLibrary::postChange() { foundation::NotificationCenter::defaultCenter().post(kDidChangeNotification, this); }

void MusicLibrary::beginGeneratingLibraryChangeNotifications() {
    if (notificationUsers_++ > 0 || synthetic_) return;
    std::weak_ptr<MusicLibrary> weak = weak_from_this();
    checkTimer_ = foundation::RunLoop::main().scheduleTimer(kFolderCheckSeconds, true, [weak](foundation::Timer&) {
        auto self = weak.lock();
        if (self) self->readInBackground(self->signature_);
    });
}

void MusicLibrary::endGeneratingLibraryChangeNotifications() {
    if (notificationUsers_ == 0 || --notificationUsers_ > 0) return;
    if (checkTimer_) checkTimer_->invalidate();
    checkTimer_.reset();
}

}  // namespace library
