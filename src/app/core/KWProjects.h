#pragma once

// The process-wide list of the user's projects, in the order the project
// browser shows them, persisted as the folder names in the documents folder's
// ".projects.plist". Entry 0 is always a new, unsaved project standing for
// the browser's new-project cell.
//
// The list lives on the main thread: every change and every save of
// ".projects.plist" happens there. Deleting and duplicating do their disk work
// on a global queue and hand the list change back to the main queue.
//
// A change whose save fails is taken back, so the list in memory never
// claims a project that the next launch would not find (or the other way
// round), and the failure goes to the caller.

#include "app/core/ProjectModel.h"
#include "platform/foundation/Error.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class KWProjects {
public:
    // Called once the operation is over (on a global queue or on the main
    // queue: callers go back to the main queue themselves); an error when the
    // operation failed.
    using Completion = std::function<void(const std::optional<foundation::Error>& error)>;

    static inline const char* kProjectListFile = ".projects.plist";
    // Domain of the errors reported by duplicate and delete.
    static inline const char* kErrorDomain = "KWProjects";
    // A duplicate that stopped because the application quits (stopDuplicates).
    static constexpr int64_t kDuplicateStoppedCode = 3;

    // The single instance; safe from any thread.
    static KWProjects& getInstance();

    KWProjects(const KWProjects&) = delete;
    KWProjects& operator=(const KWProjects&) = delete;

    // The live list (loaded on first use). Do not keep indexes across changes.
    std::vector<ProjectModelPtr>& getProjects();
    // Rebuilds the list from ".projects.plist": a new unsaved project, then one
    // project per stored name (the introduction project's in the caches folder).
    void loadFromDisk();
    // Inserts the project at position 1 and saves, unless it is listed already.
    // When the save fails the project is taken out again and the error
    // returned. From another thread the change is queued to the main queue
    // (which that thread may not wait for) and a failure is only logged:
    // callers that must act on the outcome call on the main queue.
    foundation::Status addProject(const ProjectModelPtr& project);
    // Takes the project out of the list, and every other listing of its
    // folder, and saves the list; its folder is left alone. When the save
    // fails the list is as it was and the error returned. Main thread.
    foundation::Status removeProject(const ProjectModelPtr& project);
    // Writes ".projects.plist" from the projects that have a folder.
    foundation::Status saveToDisk();

    // Takes the project out of the list and saves the list at once, then
    // removes its folder on a global queue (FileManager::removeItemAside).
    // The completion reports a folder that could not be removed, or a list
    // that could not be saved (then the project stays listed and its folder
    // is kept).
    void deleteProject(const ProjectModelPtr& project, Completion completion);
    // Copies the project's folder on a global queue into a folder built
    // aside (ProjectBuiltAside) and names the copy apart from its source
    // (duplicateName over the listed names); then, in one step of the main
    // queue, moves the copy into place, lists it in front of its source and
    // saves. A copy or a save that fails removes what it copied, lists
    // nothing and reports the error; so does a duplicate that stopDuplicates
    // stops, with kDuplicateStoppedCode. Call on the main queue.
    void duplicateProject(const ProjectModelPtr& project, Completion completion);
    // Stops every duplicate, running or to come, at its next file (or lets
    // them run again): the application quits.
    static void stopDuplicates(bool stop = true);
    // Lists the project folders of the documents folder that the list does
    // not name: a project moved into place whose listing a kill cut off.
    // Only a whole one is listed (a real folder with a readable
    // "kelbrin.meta"), in front of the others, newest first; an empty one
    // is removed, anything else left alone. Returns the names listed (none
    // when the list could not be saved). Main thread, at the start.
    std::vector<std::string> adoptUnlistedProjects();
    // The name of a copy of a project named `name`: "NAME copy", else
    // "NAME copy 2", "NAME copy 3", ... the first that no name in `taken` is.
    // A copy of a copy counts on from the first name ("NAME copy 2", not
    // "NAME copy copy").
    static std::string duplicateName(const std::string& name, const std::vector<std::string>& taken);

    // Name under which ".projects.plist" lists the introduction project, whose
    // folder is in the caches folder.
    static std::string introductionProjectName();
    // Folder of a name listed in ".projects.plist".
    static std::string pathForListedName(const std::string& name);

    // Forgets the loaded list (tests that switch the application folders).
    void resetForTesting();

private:
    KWProjects() = default;
    void insertProject(const ProjectModelPtr& project, size_t position);

    std::optional<std::vector<ProjectModelPtr>> projects_;
};
