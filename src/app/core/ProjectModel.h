#pragma once

// The project object that every screen, renderer and share service is given:
// a ProjectDataWrapper that also keeps the timeline tracks, read from the
// metadata key "Tracks" on first use.

#include "app/core/ProjectDataWrapper.h"
#include "app/core/ProjectTrackModel.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class ProjectModel : public ProjectDataWrapper {
    struct Passkey {};

public:
    using TrackPtr = std::shared_ptr<ProjectTrackModel>;

    // A project object for a folder, or a new project without folder (none).
    // Nothing is read yet.
    static std::shared_ptr<ProjectModel> create(std::optional<std::string> projectPath = std::nullopt);
    ProjectModel(Passkey, std::optional<std::string> projectPath);

    // Tracks filed by store name, each array in track order. Store names that
    // are not known give tracks of no valid type and are skipped.
    std::map<std::string, std::vector<TrackPtr>> getTracksFromDictonary(const foundation::Dictionary& dictionary) const;
    // The "Tracks" value form of the loaded tracks (empty when never loaded).
    foundation::Dictionary encode() const;

    void addTrack(TrackPtr track);
    // Inserts at the index within its type's tracks; appends for an index at
    // or beyond their count.
    void addTrack(TrackPtr track, int64_t atIndex);
    bool hasTrackOfType(int32_t type);
    // The tracks of a type; none when that type has no array.
    std::optional<std::vector<TrackPtr>> getTracksOfType(int32_t type);
    // Track identifiers are not looked up: always none.
    TrackPtr getTrackWithTrackID(const std::string& trackID);
    void deleteTrack(const TrackPtr& track);
    // Tracks of every type, by type ascending.
    std::vector<TrackPtr> getAllTracks();

    // The base save; once the tracks were loaded their encoded form is stored
    // under "Tracks" first, so changes to tracks are not lost.
    foundation::Status saveMetaDataToDisk() override;

private:
    void loadTracks();
    std::vector<TrackPtr>* arrayForType(int32_t type, bool create);

    std::optional<std::map<std::string, std::vector<TrackPtr>>> tracks_;
};

using ProjectModelPtr = std::shared_ptr<ProjectModel>;
