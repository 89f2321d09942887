#pragma once

// A key window of 1024×768 points on a virtual clock for the tests of
// screens, navigation and panels, and a view controller that logs its
// callbacks.

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/host/Device.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace screentest {

using Log = std::vector<std::string>;

// Writes every callback it gets into a shared log as "name:event"; its
// title is its name.
class Recorder : public ui::ViewController {
public:
    Recorder(std::string name, Log& log) : name_(std::move(name)), log_(log) { title = name_; }
    void viewDidLoad() override { log_.push_back(name_ + ":load"); }
    void viewWillAppear(bool) override { log_.push_back(name_ + ":willAppear"); }
    void viewDidAppear(bool) override { log_.push_back(name_ + ":didAppear"); }
    void viewWillDisappear(bool) override { log_.push_back(name_ + ":willDisappear"); }
    void viewDidDisappear(bool) override { log_.push_back(name_ + ":didDisappear"); }
    void willMoveToParentViewController(ViewController* parent) override {
        log_.push_back(name_ + (parent ? ":willMoveIn" : ":willMoveOut"));
    }
    void didMoveToParentViewController(ViewController* parent) override {
        log_.push_back(name_ + (parent ? ":didMoveIn" : ":didMoveOut"));
    }
    void viewDidLayoutSubviews() override { ++layouts; }
    int layouts = 0;

private:
    std::string name_;
    Log& log_;
};

class ScreenTest : public testsupport::WindowFixture {
protected:
    std::shared_ptr<Recorder> make(const std::string& name) { return std::make_shared<Recorder>(name, log); }
    // The callbacks logged since the last call, but for the events named in
    // `ignoredEvents` (view loads unless a test says otherwise).
    Log take() {
        Log events;
        for (auto& e : log) {
            bool ignored = false;
            for (const std::string& event : ignoredEvents) ignored = ignored || e.find(event) != std::string::npos;
            if (!ignored) events.push_back(e);
        }
        log.clear();
        return events;
    }

    Log log;
    std::vector<std::string> ignoredEvents{":load"};
};

}  // namespace screentest
