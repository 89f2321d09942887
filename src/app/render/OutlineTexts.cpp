#include "app/render/OutlineTexts.h"

#include "platform/foundation/Localized.h"

const std::vector<OutlineSection>& outlineSections() {
    using namespace outlinekeys;
    static const std::vector<OutlineSection> sections = {
        {"Name", {{"Movie Name", kMovieName, "My First Movie", false}}},
        {"Cast", {{"Starring", kStar, "Captain Clay and Dotty the Dog", false}}},
        {"Studio", {{"Studio Name", kStudio, "Acme Studios", true}}},
        {"Credits",
         {{"Directed By", kDirectedBy, "Me", true},
          {"Executive\nProducer", kProducedBy, "Me", true},
          {"Written By", kWrittenBy, "Me", true},
          {"Edited By", kEditedBy, "Me", true},
          {"Music By", kMusicBy, "iTunes", false}}},
    };
    return sections;
}

std::string outlinePlaceholder(const OutlineRow& row) {
    return row.localizedPlaceholder ? foundation::localized(row.placeholder) : std::string(row.placeholder);
}

foundation::Dictionary placeholderOutline(ProjectModel& project) {
    foundation::Dictionary outline;
    for (const OutlineSection& section : outlineSections())
        for (const OutlineRow& row : section.rows) outline.set(row.key, outlinePlaceholder(row));
    std::string name;
    if (auto meta = project.getMetaData()) name = meta->get(projectkeys::kName).asString();
    outline.set(outlinekeys::kMovieName, name.empty() ? foundation::localized(kDefaultMovieName) : name);
    return outline;
}
