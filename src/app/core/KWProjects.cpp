#include "app/core/KWProjects.h"

#include "app/core/FileUtil.h"
#include "app/core/ProjectBuiltAside.h"
#include "app/core/ProjectDataWrapper.h"
#include "app/core/SaveFailure.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <set>
#include <unistd.h>

using foundation::Array;
using foundation::DispatchQueue;
using foundation::Error;
using foundation::FileManager;
using foundation::Status;
using foundation::Value;
namespace path = foundation::path;

namespace {

constexpr int64_t kDuplicateFailedCode = 1;
constexpr int64_t kDeleteFailedCode = 2;

std::atomic<bool> gDuplicatesStopped{false};

// List changes belong to the main thread; from anywhere else they are queued there.
void onMain(std::function<void()> block) {
    if (foundation::RunLoop::isMainThread())
        block();
    else
        DispatchQueue::main().async(std::move(block));
}

// A listed name must be a folder directly inside the documents (or caches)
// folder: anything else could make delete remove a folder elsewhere.
bool isPlainFolderName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::string projectListPath() {
    return path::appending(foundation::Paths::documentsDirectory(), KWProjects::kProjectListFile);
}

Error wrapped(int64_t code, const char* text, const Error& underlying) {
    return Error(KWProjects::kErrorDomain, code, foundation::localized(text), std::make_shared<Error>(underlying));
}

// A duplicate is a new project saved: the user learns why it could not be.
Error duplicateFailed(const Error& underlying) {
    return Error(KWProjects::kErrorDomain, kDuplicateFailedCode,
                 foundation::localizedFormat("The project could not be duplicated: %@.",
                                             {foundation::Value(saveFailureReason(underlying))}),
                 std::make_shared<Error>(underlying));
}

Error duplicateStopped() {
    return Error(KWProjects::kErrorDomain, KWProjects::kDuplicateStoppedCode,
                 foundation::localized("The project was not duplicated because the application quit."));
}

// Copies the entries of one folder into another, existing, empty folder;
// stops at the next file once duplicates are stopped.
Status copyFolderContents(const std::string& from, const std::string& to) {
    const FileManager& files = FileManager::defaultManager();
    auto entries = files.contentsOfDirectory(from);
    if (!entries) return entries.error();
    auto stopped = [] { return gDuplicatesStopped.load(); };
    for (const std::string& entry : *entries) {
        Status copied = files.copyItem(path::appending(from, entry), path::appending(to, entry), stopped);
        if (!copied) return copied;
    }
    return Status::success();
}

}  // namespace

KWProjects& KWProjects::getInstance() {
    static KWProjects instance;
    return instance;
}

std::vector<ProjectModelPtr>& KWProjects::getProjects() {
    if (!projects_) loadFromDisk();
    return *projects_;
}

std::string KWProjects::introductionProjectName() {
    return foundation::format("%@-introduction", {ProjectDataWrapper::kDirectoryPrefix});
}

std::string KWProjects::pathForListedName(const std::string& name) {
    const std::string folder = name == introductionProjectName() ? foundation::Paths::cachesDirectory()
                                                                 : foundation::Paths::documentsDirectory();
    return path::appending(folder, name);
}

void KWProjects::loadFromDisk() {
    std::vector<ProjectModelPtr> projects{ProjectModel::create()};
    if (auto stored = foundation::plist::readFile(projectListPath()); stored && stored->isArray()) {
        for (const Value& entry : stored->asArray()) {
            auto name = entry.stringValue();
            if (name && isPlainFolderName(*name)) projects.push_back(ProjectModel::create(pathForListedName(*name)));
        }
    }
    projects_ = std::move(projects);
}

void KWProjects::insertProject(const ProjectModelPtr& project, size_t position) {
    std::vector<ProjectModelPtr>& projects = getProjects();
    projects.insert(projects.begin() + static_cast<std::ptrdiff_t>(std::min(position, projects.size())), project);
}

Status KWProjects::addProject(const ProjectModelPtr& project) {
    if (!project) return Status::success();
    if (!foundation::RunLoop::isMainThread()) {
        // The main thread may be waiting for this thread: queue the change
        // rather than wait for it. Its outcome can only be logged.
        DispatchQueue::main().async([this, project] {
            if (Status added = addProject(project); !added)
                std::fprintf(stderr, "KWProjects: %s\n", added.error().description.c_str());
        });
        return Status::success();
    }
    std::vector<ProjectModelPtr>& projects = getProjects();
    if (std::find(projects.begin(), projects.end(), project) != projects.end()) return Status::success();
    insertProject(project, 1);
    Status saved = saveToDisk();
    if (!saved) std::erase(projects, project);
    return saved;
}

Status KWProjects::removeProject(const ProjectModelPtr& project) {
    std::vector<ProjectModelPtr>& projects = getProjects();
    // A list file that names one folder twice gives two projects of it:
    // every listing of the folder goes, or one would name what is gone.
    const std::optional<std::string> folder = project ? project->getProjectPath() : std::nullopt;
    auto listsIt = [&](const ProjectModelPtr& listed) {
        return listed == project || (folder && listed && listed->getProjectPath() == folder);
    };
    if (std::none_of(projects.begin(), projects.end(), listsIt)) return Status::success();
    std::vector<ProjectModelPtr> before = projects;
    std::erase_if(projects, listsIt);
    Status saved = saveToDisk();
    // The stored list still names the folder: so does the list in memory.
    if (!saved) projects = std::move(before);
    return saved;
}

Status KWProjects::saveToDisk() {
    Array names;
    for (const ProjectModelPtr& project : getProjects())
        if (auto folder = project->getProjectPath()) names.push_back(path::lastComponent(*folder));
    return foundation::plist::writeFile(Value(names), projectListPath(), foundation::plist::Format::Xml);
}

void KWProjects::deleteProject(const ProjectModelPtr& project, Completion completion) {
    onMain([this, project, completion = std::move(completion)]() mutable {
        std::optional<std::string> folder;
        if (project) {
            folder = project->getProjectPath();
            // While the stored list still names the folder, removing it
            // would leave the next launch a project without files.
            if (Status saved = removeProject(project); !saved) {
                if (completion)
                    completion(wrapped(kDeleteFailedCode, "The project could not be deleted.", saved.error()));
                return;
            }
        }
        DispatchQueue::global().async([folder, completion = std::move(completion)] {
            std::optional<Error> failure;
            // Aside first: a removal that a kill cuts short must not leave
            // half a project under its name, which the next start would list.
            const FileManager& files = FileManager::defaultManager();
            if (folder && files.fileExists(*folder)) {
                if (Status removed = files.removeItemAside(*folder); !removed)
                    failure = wrapped(kDeleteFailedCode, "The project could not be deleted.", removed.error());
            }
            if (completion) completion(failure);
        });
    });
}

std::string KWProjects::duplicateName(const std::string& name, const std::vector<std::string>& taken) {
    auto copyName = [](const std::string& base, size_t number) {
        return number == 1 ? foundation::localizedFormat("%@ copy", {Value(base)})
                           : foundation::localizedFormat("%@ copy %d", {Value(base), Value(int64_t(number))});
    };
    // The name the copies count from: a copy's name without its ending.
    std::string base = name;
    for (size_t number = 1; number <= taken.size() + 1; ++number) {
        const std::string ending = copyName("", number);
        if (base.size() > ending.size() && base.ends_with(ending)) {
            base.resize(base.size() - ending.size());
            break;
        }
    }
    for (size_t number = 1;; ++number) {
        std::string candidate = copyName(base, number);
        if (std::find(taken.begin(), taken.end(), candidate) == taken.end()) return candidate;
    }
}

void KWProjects::duplicateProject(const ProjectModelPtr& project, Completion completion) {
    // The names are read here, on the main queue, which owns the list.
    std::string name;
    if (project && project->getProjectPath()) {
        std::vector<std::string> taken;
        for (const ProjectModelPtr& listed : getProjects())
            if (listed->getProjectPath()) taken.push_back(listed->getName());
        name = duplicateName(project->getName(), taken);
    }
    DispatchQueue::global().async([this, project, name, completion = std::move(completion)] {
        auto report = [&completion](std::optional<Error> failure) {
            if (completion) completion(failure);
        };
        std::optional<std::string> source = project ? project->getProjectPath() : std::nullopt;
        if (!source) {
            report(Error(kErrorDomain, kDuplicateFailedCode,
                         foundation::localized("The project could not be duplicated: it has not been saved yet.")));
            return;
        }
        auto fail = [&report](const Error& error) {
            report(gDuplicatesStopped ? duplicateStopped() : duplicateFailed(error));
        };
        if (gDuplicatesStopped) return report(duplicateStopped());
        // Built aside and moved into place whole, so that a quit or a kill
        // at any moment leaves no half copy behind.
        auto aside = ProjectBuiltAside::create(foundation::Paths::documentsDirectory(), "duplicate");
        if (!aside) return fail(aside.error());
        if (Status copied = copyFolderContents(*source, aside->path()); !copied) return fail(copied.error());
        // A copy that is not told apart from its source by its name would be
        // lost among the projects.
        ProjectModelPtr named = ProjectModel::create(aside->path());
        if (auto meta = named->getMetaData()) {
            meta->set(projectkeys::kName, name);
            if (Status saved = named->saveMetaDataToDisk(); !saved) return fail(saved.error());
        }
        if (Status flushed = aside->flush(); !flushed) return fail(flushed.error());
        auto built = std::make_shared<ProjectBuiltAside>(std::move(*aside));
        // Moved into place and listed in one step of the main queue.
        onMain([this, project, built, completion] {
            auto report = [&completion](std::optional<Error> failure) {
                if (completion) completion(failure);
            };
            if (gDuplicatesStopped) return report(duplicateStopped());
            auto folder = built->moveIntoPlace();
            if (!folder) return report(duplicateFailed(folder.error()));
            ProjectModelPtr copy = ProjectModel::create(*folder);
            std::vector<ProjectModelPtr>& projects = getProjects();
            auto source = std::find(projects.begin(), projects.end(), project);
            // A source no longer listed puts the copy where new projects go.
            size_t position = source == projects.end() ? 1 : static_cast<size_t>(source - projects.begin());
            insertProject(copy, position);
            std::optional<Error> failure;
            if (Status saved = saveToDisk(); !saved) {
                // Unlisted on disk, the copy would be lost at the next launch
                // anyway: take it back now and say so.
                std::erase(projects, copy);
                (void)FileUtil::removeFolderAtPath(*folder, nullptr);
                failure = duplicateFailed(saved.error());
            }
            report(failure);
        });
    });
}

void KWProjects::stopDuplicates(bool stop) { gDuplicatesStopped = stop; }

std::vector<std::string> KWProjects::adoptUnlistedProjects() {
    std::vector<std::string> adopted;
    const std::string documents = foundation::Paths::documentsDirectory();
    const FileManager& files = FileManager::defaultManager();
    auto names = files.contentsOfDirectory(documents);
    if (!names) return adopted;
    std::set<std::string> listed;
    for (const ProjectModelPtr& project : getProjects())
        if (auto folder = project->getProjectPath()) listed.insert(*folder);
    const std::string prefix = std::string(ProjectDataWrapper::kDirectoryPrefix) + "-";
    std::vector<ProjectModelPtr> found;
    for (const std::string& name : *names) {
        // The introduction's name stands for its folder in the caches folder.
        if (!name.starts_with(prefix) || name == introductionProjectName()) continue;
        const std::string folder = path::appending(documents, name);
        if (listed.contains(folder)) continue;
        auto attributes = files.attributesOfItem(folder);
        if (!attributes || attributes->type != foundation::FileType::Directory) continue;
        // An empty project folder holds nothing anyone could want.
        if (::rmdir(folder.c_str()) == 0) continue;
        if (!ProjectDataWrapper::holdsReadableMetaData(folder)) continue;
        // In name order, each in front of the last: the newest comes first.
        found.push_back(ProjectModel::create(folder));
        insertProject(found.back(), 1);
        adopted.push_back(name);
    }
    if (found.empty()) return adopted;
    if (Status saved = saveToDisk(); !saved) {
        std::fprintf(stderr, "KWProjects: %s\n", saved.error().description.c_str());
        for (const ProjectModelPtr& project : found) std::erase(getProjects(), project);
        adopted.clear();
    }
    return adopted;
}

void KWProjects::resetForTesting() { projects_.reset(); }
