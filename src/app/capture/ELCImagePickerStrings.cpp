#include "app/capture/ELCImagePickerStrings.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Localized.h"

namespace {

const foundation::StringTable& pickerTable() {
    static const foundation::StringTable table = [] {
        auto bundle = foundation::Bundle::main().pathForResource("ELCImagePicker.bundle");
        if (!bundle) return foundation::StringTable();
        auto loaded = foundation::StringTable::load(*bundle + "/ELCImagePicker.plist");
        return loaded ? *loaded : foundation::StringTable();
    }();
    return table;
}

}  // namespace

std::string elcLocalized(std::string_view key) { return pickerTable().lookup(key); }

std::string elcCountText(bool videos, int64_t count) {
    return foundation::format(elcLocalized(videos ? "VideosCountKey" : "PhotosCountKey"), {count});
}
