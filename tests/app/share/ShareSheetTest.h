#pragma once

// A share service chosen on the share sheet over a root screen, for a saved
// 12-frame project "My Movie", in fresh application folders on the virtual
// clock: the common ground of the share screen's tests.

#include "app/core/FileUtil.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWProjects.h"
#include "app/render/screens/RenderProgressViewController.h"
#include "app/share/InternetReachability.h"
#include "app/share/ShareViewController.h"
#include "platform/foundation/RunLoop.h"
#include "platform/library/ActivityViewController.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/Button.h"
#include "support/Pictures.h"
#include "support/TempAppFolders.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>

namespace sharetest {

class ShareSheetTest : public testsupport::WindowFixture {
protected:
    explicit ShareSheetTest(graphics::Rect frame = graphics::Rect(0, 0, 1024, 768)) : WindowFixture(frame) {}

    void SetUp() override {
        KWProjects::getInstance().resetForTesting();
        FileUtil::setFreeDiskspaceOverride(uint64_t{1} << 34);
        root = std::make_shared<ui::ViewController>();
        window->setRootViewController(root);
        ASSERT_NO_FATAL_FAILURE(makeProject("My Movie"));
    }
    void TearDown() override {
        InternetReachability::setStatusProvider(nullptr);
        testsupport::WindowFixture::TearDown();
        FileUtil::setFreeDiskspaceOverride(std::nullopt);
        KWProjects::getInstance().resetForTesting();
    }

    // A saved project of twelve pictures under `name`, the one the sheet shares.
    void makeProject(const std::string& name) {
        project = ProjectModel::create();
        KWImageProducer producer(project);
        auto list = project->getFrameList();
        for (int i = 0; i < 12; ++i) {
            FramePtr frame = Frame::create(Frame::kTypePicture);
            ASSERT_TRUE(producer.storeImage(testsupport::quadrantsImage(320, 180), frame->frameID()));
            list->insertFrame(frame, list->getCaptureIndex());
        }
        project->setName(name);
        ASSERT_TRUE(project->saveAllDataToDisk());
    }
    // A sheet offering only `handler` for the project, over the root screen.
    void presentSheet(std::shared_ptr<ConnectHandler> handler) {
        service = std::move(handler);
        sheet = std::make_shared<library::ActivityViewController>(
            library::ActivityItems{std::any(project)}, std::vector<std::shared_ptr<library::Activity>>{service});
        sheet->completionHandler = [this](const std::optional<std::string>&, bool done) { completed = done; };
        root->presentViewController(sheet, false);
    }
    // The service chosen on a sheet over the root screen; its own screen.
    ShareViewController* choose(std::shared_ptr<ConnectHandler> handler) {
        presentSheet(std::move(handler));
        advance(1);
        sheet->chooseActivityAtIndex(0);
        advance(1);
        auto* navigation = dynamic_cast<ui::NavigationController*>(sheet->presentedViewController());
        if (!navigation) return nullptr;
        window->layoutIfNeeded();
        return dynamic_cast<ShareViewController*>(navigation->topViewController());
    }
    // A tap on the button of the export type of that title, where it is drawn.
    bool tapType(ShareViewController& screen, const std::string& title) {
        for (size_t i = 0; i < screen.exportTypes().size(); ++i) {
            if (screen.exportTypes()[i].title() != title) continue;
            tap(screen.typeButtons()[i].get());
            return true;
        }
        ADD_FAILURE() << "no type " << title;
        return false;
    }
    bool waitForInfo(ShareViewController& screen, const std::string& text) {
        return foundation::RunLoop::main().runUntil(
            [&] { return screen.panel() && screen.panel()->infoText() == text; }, 600);
    }
    // A tap on the panel's Done where it shows: the service ends as completed
    // and the sheet closes.
    void finishWithDone(ShareViewController& screen) {
        advance(1);
        window->layoutIfNeeded();
        auto done = screen.panel()->navigationItem().rightBarButtonItem();
        ASSERT_TRUE(done && done->view());
        fingers.tap(centerOf(*done->view()));
        advance(1);
        EXPECT_EQ(completed, std::optional<bool>(true));
    }

    testsupport::TempAppFolders folders;
    std::shared_ptr<ui::ViewController> root;
    ProjectModelPtr project;
    std::shared_ptr<ConnectHandler> service;
    std::shared_ptr<library::ActivityViewController> sheet;
    std::optional<bool> completed;
};

}  // namespace sharetest
