#pragma once

// A document picker's delegate that keeps what it is told.

#include "platform/library/DocumentPickerViewController.h"

#include <string>
#include <vector>

namespace testsupport {

struct PickerRecorder : library::DocumentPickerDelegate {
    void documentPickerDidPickDocumentAtURL(library::DocumentPickerViewController&, const std::string& url) override {
        picked.push_back(url);
    }
    void documentPickerWasCancelled(library::DocumentPickerViewController&) override { ++cancelled; }
    bool answered() const { return !picked.empty() || cancelled > 0; }

    std::vector<std::string> picked;
    int cancelled = 0;
};

}  // namespace testsupport
