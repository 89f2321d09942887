// How the share screens of the services without an account look: the
// service named once, in the navigation bar.

#include "ShareSheetTest.h"
#include "app/share/ICloudConnectHandler.h"
#include "app/share/MailConnectHandler.h"
#include "app/share/PhotosConnectHandler.h"
#include "app/share/ShareViewController.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/host/ControlMap.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

struct Service {
    const char* title;
    std::function<std::shared_ptr<ConnectHandler>()> make;
};

const Service kServices[] = {
    {"Save to Folder", [] { return std::make_shared<ICloudConnectHandler>(); }},
    {"Photos", [] { return std::make_shared<PhotosConnectHandler>(); }},
    {"Mail", [] { return std::make_shared<MailConnectHandler>(); }},
};

class ShareScreenLayoutTest : public sharetest::ShareSheetTest {};

TEST_F(ShareScreenLayoutTest, TheServiceIsNamedOnceInTheNavigationBar) {
    for (const Service& service : kServices) {
        SCOPED_TRACE(service.title);
        ShareViewController* screen = choose(service.make());
        ASSERT_NE(screen, nullptr);
        EXPECT_EQ(screen->navigationController()->navigationBar().shownTitle(), service.title);
        size_t labels = 0;
        for (const ui::MappedView& shown : ui::mapViews(*window, ui::WindowPlacement{}))
            labels += shown.label == service.title;
        EXPECT_EQ(labels, 0u) << "a heading repeats the title";
        screen->cancelSharing();
        advance(1);
    }
}

}  // namespace
