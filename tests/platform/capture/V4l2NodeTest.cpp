// A camera's V4L2 nodes as the node code reads them through fake devices
// that answer as the kernel does: menus, flags, which nodes capture video,
// and how a camera Qt lists finds its node.

#include "platform/capture/CameraControls.h"
#include "platform/capture/V4l2Node.h"
#include "support/FakeV4l2Device.h"
#include "support/RunFolder.h"
#include "support/TestFiles.h"

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <linux/videodev2.h>

namespace {

using namespace capture;
using testsupport::FakeV4l2Device;
using Menu = std::vector<ControlInfo::MenuEntry>;

std::shared_ptr<V4l2Node> openNode(const std::shared_ptr<FakeV4l2Device>& camera) {
    testsupport::FakeV4l2Folder folder;
    folder.addCamera(camera);
    auto node = V4l2Node::open("/dev/video0", folder);
    EXPECT_TRUE(node.ok());
    return node.ok() ? node.value() : nullptr;
}

// The camera tests read the exposure menu and the bias's integer menu
// through the node; here the ends of what a menu can be.
TEST(V4l2Node, MenusAreAskedFromTheirMinimumToTheirMaximumKeepingWhatIsOffered) {
    const Menu ends{{2, 2}, {5, 5}}, top{{INT32_MAX, INT32_MAX}};
    auto camera = FakeV4l2Device::noControls();
    camera->add({.id = V4L2_CID_COLORFX, .type = V4L2_CTRL_TYPE_MENU, .minimum = 2, .maximum = 5, .menu = ends}, 2);
    camera->add({.id = V4L2_CID_POWER_LINE_FREQUENCY,
                 .type = V4L2_CTRL_TYPE_MENU,
                 .minimum = INT32_MAX - 1,
                 .maximum = INT32_MAX,
                 .menu = top},
                INT32_MAX);
    auto node = openNode(camera);
    ASSERT_TRUE(node);
    EXPECT_EQ(node->queryControl(V4L2_CID_COLORFX).value_or(ControlInfo{}).menu, ends);
    EXPECT_EQ(node->queryControl(V4L2_CID_POWER_LINE_FREQUENCY).value_or(ControlInfo{}).menu, top);
}

// As a UVC camera: the temperature is the automatic's while that runs,
// inactive, and the camera refuses it.
TEST(V4l2Node, AnAbsoluteControlIsInactiveAndRefusedWhileItsAutomaticRuns) {
    auto node = openNode(FakeV4l2Device::webcam());
    ASSERT_TRUE(node);
    const auto inactive = [&] {
        return node->queryControl(V4L2_CID_WHITE_BALANCE_TEMPERATURE).value_or(ControlInfo{}).flags &
               V4L2_CTRL_FLAG_INACTIVE;
    };
    EXPECT_TRUE(inactive());
    auto refused = node->setControl(V4L2_CID_WHITE_BALANCE_TEMPERATURE, 4500);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, EACCES);
    ASSERT_TRUE(node->setControl(V4L2_CID_AUTO_WHITE_BALANCE, 0).ok());
    EXPECT_FALSE(inactive());
    EXPECT_TRUE(node->setControl(V4L2_CID_WHITE_BALANCE_TEMPERATURE, 4500).ok());
}

TEST(V4l2Node, OnlyCaptureNodesAreCamerasAndOneThatCannotBeOpenedIsTakenAsItStands) {
    testsupport::FakeV4l2Folder folder;
    folder.addCamera(FakeV4l2Device::webcam());
    auto busy = FakeV4l2Device::webcam();
    busy->card = "Integrated Camera";
    busy->openError = EACCES;
    folder.addCamera(busy);
    using Kind = V4l2VideoNode::Kind;
    const std::vector<V4l2VideoNode> nodes = v4l2VideoNodes(folder);
    EXPECT_EQ(nodes, (std::vector<V4l2VideoNode>{{"/dev/video0", Kind::Capture, "HD Webcam C525"},
                                                 {"/dev/video1", Kind::Other, "HD Webcam C525"},
                                                 {"/dev/video2", Kind::Unreadable, ""},
                                                 {"/dev/video3", Kind::Unreadable, ""}}));
    struct Case {
        const char* id;
        const char* description;
        size_t index;
        std::optional<std::string> node;
        bool mayCapture;
    };
    const Case cases[] = {
        {"/dev/video0", "HD Webcam C525", 0, "/dev/video0", true},
        // Qt 6.4's FFmpeg backend lists the metadata node as a second camera.
        {"/dev/video1", "HD Webcam C525", 1, std::nullopt, false},
        // Opening it says why it cannot be used.
        {"/dev/video2", "Integrated Camera", 0, "/dev/video2", true},
        // By card name, never the metadata node.
        {"0", "HD Webcam C525", 0, "/dev/video0", true},
        {"1", "HD Webcam C525", 1, std::nullopt, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(v4l2NodeOfCamera(c.id, c.description, c.index, nodes), c.node) << c.id;
        EXPECT_EQ(v4l2MayCapture(c.id, nodes), c.mayCapture) << c.id;
    }
}

TEST(V4l2Node, CamerasAreMatchedToNodesByPathOrCardName) {
    constexpr auto kCapture = V4l2VideoNode::Kind::Capture;
    const std::vector<V4l2VideoNode> nodes = {{"/dev/video0", kCapture, "Integrated Camera: Integrated C"},
                                              {"/dev/video2", kCapture, "HD Webcam C525"},
                                              {"/dev/video4", kCapture, "HD Webcam C525"}};
    struct Case {
        const char* id;
        const char* description;
        size_t index;
        std::optional<std::string> node;
    };
    const Case cases[] = {
        {"/dev/video2", "anything", 0, "/dev/video2"},               // FFmpeg backend: the id is the path
        {"0", "Integrated Camera: Integrated C", 0, "/dev/video0"},  // GStreamer: a number
        {"1", "HD Webcam C525", 0, "/dev/video2"},
        {"2", "HD Webcam C525", 1, "/dev/video4"},  // the second of two alike
        {"3", "HD Webcam C525", 2, std::nullopt},
        {"4", "HD Webcam C525 (V4L2)", 0, "/dev/video2"},  // a decorated name
        {"5", "Virtual Camera", 0, std::nullopt},
        {"6", "", 0, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(v4l2NodeOfCamera(c.id, c.description, c.index, nodes), c.node) << c.id;
}

// Only a link to that node names it, relative to the folder or absolute; other files and a missing folder name nothing.
TEST(V4l2Node, AStableNameIsTheByIdLinkToTheNode) {
    testsupport::FakeDevFolder dev;
    const std::string webcam = dev.link("usb-Logitech_HD_Webcam_C525_5A3B1F20-video-index0", 2);
    const std::string absolute = dev.byIdFolder + "/usb-Absolute_Target_01-video-index0";
    std::filesystem::create_symlink(dev.node(4), absolute);
    testsupport::writeFileBytes(dev.byIdFolder + "/README", "not a link");
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {dev.node(2), webcam}, {dev.node(4), absolute}, {dev.node(6), std::nullopt}};  // video6 has no serial
    for (const auto& [node, name] : cases) EXPECT_EQ(v4l2StableName(node, dev.byIdFolder), name) << node;
    EXPECT_EQ(v4l2StableName(dev.node(2), dev.byIdFolder + "/gone"), std::nullopt);
}

TEST(V4l2Node, AFileThatIsNoCameraOffersNothingAndSaysWhy) {
    testsupport::RunFolder folder("v4l2");
    testsupport::writeFileBytes(folder.path() + "/video0", "not a camera");
    testsupport::writeFileBytes(folder.path() + "/video-1", "");
    auto files = systemV4l2Folder(folder.path());
    const auto nodes = v4l2VideoNodes(*files);
    ASSERT_EQ(nodes.size(), 1u);
    EXPECT_EQ(nodes[0].kind, V4l2VideoNode::Kind::Other);
    EXPECT_FALSE(V4l2Node::open(folder.path() + "/video9", *files).ok());

    auto node = V4l2Node::open("/dev/null", *systemV4l2Folder());
    ASSERT_TRUE(node.ok());
    EXPECT_FALSE(node.value()->queryControl(V4L2_CID_BRIGHTNESS));
    auto read = node.value()->getControl(V4L2_CID_BRIGHTNESS);
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error().code, ENOTTY);
    EXPECT_EQ(read.error().domain, foundation::kPOSIXErrorDomain);
    // Through the controls: no modes, no bias, nothing written.
    DeviceCapabilities offered;
    CameraControls(node.value()).describe(offered);
    EXPECT_EQ(offered.focusModes | offered.exposureModes | offered.whiteBalanceModes, 0u);
    EXPECT_FALSE(offered.exposureTargetBias);
}

}  // namespace
