#include "PainterScreenFixture.h"

#include "app/core/Frame.h"
#include "platform/ui/Window.h"
#include "platform/ui/host/Device.h"

void PainterScreenFixture::SetUp() {
    if (phone_) {
        ui::Device::current().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Phone);
        ui::Device::current().setScreenBounds(graphics::Rect(0, 0, 568, 320));
    }
    KWProjects::getInstance().resetForTesting();
    DataManager::sharedDataManager().decodeData(foundation::Dictionary{});
    project = ProjectModel::create();
}

void PainterScreenFixture::TearDown() {
    painter.reset();
    window->setRootViewController(nullptr);
    KWProjects::getInstance().resetForTesting();
    testsupport::WindowFixture::TearDown();
}

graphics::RGBA PainterScreenFixture::frameColour(int index) {
    return graphics::RGBA{static_cast<uint8_t>(40 + 60 * index), 90, static_cast<uint8_t>(200 - 50 * index), 255};
}

graphics::Image PainterScreenFixture::decoded(const std::optional<foundation::Bytes>& data) {
    if (!data) return {};
    auto image = graphics::Image::decode(*data);
    return image ? *image : graphics::Image();
}

void PainterScreenFixture::addFrames(int count, int width, int height) {
    KWImageProducer producer(project);
    auto list = project->getFrameList();
    for (int i = 0; i < count; ++i) {
        FramePtr frame = Frame::create(Frame::kTypePicture);
        ASSERT_TRUE(producer.storeImage(graphics::Image::filled(width, height, frameColour(i)), frame->frameID()));
        list->insertFrame(frame, list->getCaptureIndex());
    }
    ASSERT_TRUE(project->saveFramelistToDisk());
}

std::string PainterScreenFixture::frameID(int64_t index) const {
    return project->getFrameList()->getFrameAtIndex(index)->frameID();
}

std::shared_ptr<PainterViewController> PainterScreenFixture::open(int64_t index, bool masking) {
    auto created = PainterViewController::create(project, index, masking);
    EXPECT_TRUE(created.ok()) << (created.ok() ? "" : created.error().description);
    if (!created) return nullptr;
    painter = *created;
    painter->setHandlerComplete([this] { ++completions; });
    window->setRootViewController(painter);
    painter->view()->layoutIfNeeded();
    painter->viewDidAppear(false);
    advance(0.5);  // the controls slide in, then the help overlay of the first opening
    if (HelpManager* help = painter->helpManager()) {
        help->dismiss();
        advance(1);
    }
    return painter;
}

void PainterScreenFixture::drawLine(graphics::Point from, graphics::Point to) {
    const ui::View* canvas = painter->drawingView();
    std::vector<graphics::Point> path;
    for (int i = 0; i <= 10; ++i) {
        const double t = i / 10.0;
        path.push_back(inWindow(*canvas, graphics::Point{from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t}));
    }
    fingers.drag(path, 0.3);
}
