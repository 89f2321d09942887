#include "app/render/Check4KReady.h"

#include "platform/media/ExportPresets.h"

#include <charconv>
#include <sys/utsname.h>

namespace {

// The number after the family word, read up to the comma: "7,2" gives 7.0.
double majorNumberAfter(const std::string& model, const std::string& family) {
    std::string rest = model;
    rest.erase(rest.find(family), family.size());
    // from_chars, not strtod: a decimal-comma locale would read "7,2" as 7.2.
    double major = 0;
    std::from_chars(rest.data(), rest.data() + rest.size(), major);
    return major;
}

}  // namespace

std::string Check4KReady::platform() {
    struct utsname names {};
    if (::uname(&names) != 0) return {};
    return names.machine;
}

bool Check4KReady::canRender4KResolution() {
    return canRender4KResolutionForModel(platform(), media::hasExportPreset(media::kExportPreset3840x2160));
}

bool Check4KReady::canRender4KResolutionForModel(const std::string& model, bool encoderOpensAt4K) {
    struct Family {
        const char* word;
        double firstMajor;
    };
    static const Family families[] = {{"iPhone", 6.0}, {"iPad", 4.0}, {"iPod", 6.0}};
    for (const Family& family : families)
        if (model.find(family.word) != std::string::npos)
            return majorNumberAfter(model, family.word) >= family.firstMajor;
    return encoderOpensAt4K;
}
