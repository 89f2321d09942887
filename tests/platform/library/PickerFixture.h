#pragma once

// A window whose root presents the document picker for project archives,
// and a delegate that keeps what the picker tells it.

#include "platform/library/DocumentPickerViewController.h"
#include "support/WindowFixture.h"

#include <optional>
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

class PickerFixture : public WindowFixture {
protected:
    void SetUp() override { window->setRootViewController(root); }
    void TearDown() override {
        if (root->presentedViewController()) root->dismissViewController(false);
        picker.reset();
        WindowFixture::TearDown();
    }
    // The picker as the browser presents it, asking on `bus` first.
    void present(const std::optional<std::string>& bus, bool animated = true) {
        picker = std::make_shared<library::DocumentPickerViewController>(
            std::vector<std::string>{"com.marrowick.tollivar.archive"}, library::DocumentPickerMode::Import, bus);
        picker->delegate = recorder;
        root->presentViewController(picker, animated);
    }

    std::shared_ptr<ui::ViewController> root = std::make_shared<ui::ViewController>();
    std::shared_ptr<library::DocumentPickerViewController> picker;
    std::shared_ptr<PickerRecorder> recorder = std::make_shared<PickerRecorder>();
};

}  // namespace testsupport
