#include "app/core/ProjectModel.h"

#include <algorithm>

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;

std::shared_ptr<ProjectModel> ProjectModel::create(std::optional<std::string> projectPath) {
    return std::make_shared<ProjectModel>(Passkey{}, std::move(projectPath));
}

ProjectModel::ProjectModel(Passkey, std::optional<std::string> projectPath)
    : ProjectDataWrapper(std::move(projectPath)) {}

std::map<std::string, std::vector<ProjectModel::TrackPtr>> ProjectModel::getTracksFromDictonary(
    const Dictionary& dictionary) const {
    std::map<std::string, std::vector<TrackPtr>> tracks;
    for (const auto& [storeName, stored] : dictionary) {
        // A store name outside the table would give tracks no valid type;
        // they are left out rather than filed under a made-up one.
        std::optional<int32_t> type = ProjectTrackModel::getTrackTypeForName(storeName);
        if (!type) continue;
        std::vector<TrackPtr>& array = tracks[storeName];
        for (const Value& entry : stored.asArray())
            if (entry.isDictionary()) array.push_back(std::make_shared<ProjectTrackModel>(entry.asDictionary(), *type));
    }
    return tracks;
}

Dictionary ProjectModel::encode() const {
    Dictionary dictionary;
    if (!tracks_) return dictionary;
    // In the order of the track types, so that the stored file reads the same every time.
    for (int32_t type = 0; type < ProjectTrackModel::kTypeCount; ++type) {
        std::string storeName = ProjectTrackModel::getTrackStoreNameForTrackType(type);
        auto it = tracks_->find(storeName);
        if (it == tracks_->end()) continue;
        Array encoded;
        for (const TrackPtr& track : it->second) encoded.push_back(track->encode());
        dictionary.set(storeName, encoded);
    }
    return dictionary;
}

void ProjectModel::loadTracks() {
    if (tracks_) return;
    auto meta = getMetaData();
    const Value stored = meta ? meta->get(projectkeys::kTracks) : Value();
    tracks_ = getTracksFromDictonary(stored.asDictionary());
}

std::vector<ProjectModel::TrackPtr>* ProjectModel::arrayForType(int32_t type, bool create) {
    loadTracks();
    std::string storeName = ProjectTrackModel::getTrackStoreNameForTrackType(type);
    if (storeName.empty()) return nullptr;
    auto it = tracks_->find(storeName);
    if (it != tracks_->end()) return &it->second;
    if (!create) return nullptr;
    return &(*tracks_)[storeName];
}

void ProjectModel::addTrack(TrackPtr track) {
    if (!track) return;
    if (auto* array = arrayForType(track->type(), true)) array->push_back(std::move(track));
}

void ProjectModel::addTrack(TrackPtr track, int64_t atIndex) {
    if (!track) return;
    auto* array = arrayForType(track->type(), true);
    if (!array) return;
    if (atIndex >= 0 && atIndex < static_cast<int64_t>(array->size()))
        array->insert(array->begin() + atIndex, std::move(track));
    else
        array->push_back(std::move(track));
}

bool ProjectModel::hasTrackOfType(int32_t type) {
    auto* array = arrayForType(type, false);
    return array && !array->empty();
}

std::optional<std::vector<ProjectModel::TrackPtr>> ProjectModel::getTracksOfType(int32_t type) {
    auto* array = arrayForType(type, false);
    if (!array) return std::nullopt;
    return *array;
}

ProjectModel::TrackPtr ProjectModel::getTrackWithTrackID(const std::string&) {
    loadTracks();
    return nullptr;
}

void ProjectModel::deleteTrack(const TrackPtr& track) {
    if (!track) return;
    if (auto* array = arrayForType(track->type(), false)) std::erase(*array, track);
}

std::vector<ProjectModel::TrackPtr> ProjectModel::getAllTracks() {
    loadTracks();
    std::vector<TrackPtr> all;
    for (int32_t type = 0; type < ProjectTrackModel::kTypeCount; ++type) {
        auto it = tracks_->find(ProjectTrackModel::getTrackStoreNameForTrackType(type));
        if (it != tracks_->end()) all.insert(all.end(), it->second.begin(), it->second.end());
    }
    return all;
}

foundation::Status ProjectModel::saveMetaDataToDisk() {
    // Tracks that were never loaded stay exactly as read; loaded ones are
    // stored so that their changes survive. A project that never had tracks
    // does not gain an empty "Tracks" entry.
    if (tracks_) {
        auto meta = getMetaData();
        Dictionary encoded = encode();
        bool anyTrack =
            std::any_of(tracks_->begin(), tracks_->end(), [](const auto& entry) { return !entry.second.empty(); });
        if (meta && (anyTrack || meta->contains(projectkeys::kTracks))) meta->set(projectkeys::kTracks, encoded);
    }
    return ProjectDataWrapper::saveMetaDataToDisk();
}
