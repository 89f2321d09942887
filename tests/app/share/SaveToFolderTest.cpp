// "Save to Folder" driven through the share sheet as a user drives it: every
// export type offered, each rendered and saved into the documents folder's
// application folder under the project's name, read back by identify,
// ffprobe and unzip; nothing replaced, nothing shared with the render cache;
// "Open Folder" hands the folder to xdg-open; a failed save says why and
// "Try Again" saves the same file.

#include "ShareSheetTest.h"
#include "ShareTestSupport.h"
#include "app/core/ProjectDataWrapper.h"
#include "app/render/MovieRenderer.h"
#include "app/share/ICloudConnectHandler.h"
#include "app/share/ShareServices.h"
#include "app/widgets/views/VerticallyAlignedLabel.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/TemporaryClaim.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/host/Device.h"
#include "support/HostileFiles.h"
#include "support/MovieFacts.h"
#include "support/Process.h"
#include "support/SyncFailures.h"
#include "support/TestFiles.h"

#include <QImage>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using foundation::RunLoop;

// Its render cache emptied under the first save, as a cache cleaner does.
struct RenderGoneUnderTheSave : ICloudConnectHandler {
    void uploadFile(const std::string& path, const std::string& title, const std::string& caption,
                    const std::string& type) override {
        if (saves++ == 0) MovieRenderer::cleanRenderCacheForProject(project());
        ICloudConnectHandler::uploadFile(path, title, caption, type);
    }
    int saves = 0;
};

class SaveToFolderTest : public sharetest::ShareSheetTest {
protected:
    explicit SaveToFolderTest(graphics::Rect frame = graphics::Rect(0, 0, 1024, 768)) : ShareSheetTest(frame) {}
    std::string folder() const { return folders.root() + "/documents/Tollivar"; }
    static std::string doneText(const std::string& path) { return "Saved to \"" + path + "\"."; }

    // The type of that title chosen on a fresh sheet; the screen once saved.
    ShareViewController* saveAs(const std::string& title, const std::string& expectedPath) {
        ShareViewController* screen = choose(std::make_shared<ICloudConnectHandler>());
        if (!screen || !tapType(*screen, title)) return nullptr;
        EXPECT_TRUE(waitForInfo(*screen, doneText(expectedPath))) << screen->panel()->infoText();
        return screen;
    }
    static ino_t inode(const std::string& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
    }

    sharetest::ProgramRecorders programs{folders.root() + "/bin"};
};

TEST_F(SaveToFolderTest, OffersEveryExportAndSavesEachUnderTheProjectsName) {
    ShareViewController* screen = choose(std::make_shared<ICloudConnectHandler>());
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->titleField(), nullptr) << "no title to ask for";
    std::vector<std::string> titles;
    for (const auto& type : screen->exportTypes()) titles.push_back(type.title());
    ASSERT_GE(titles.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(titles.end() - 3, titles.end()),
              (std::vector<std::string>{"Animated GIF", "Export All Images", "Export Project"}));
    for (size_t i = 0; i + 3 < titles.size(); ++i)
        EXPECT_EQ(screen->exportTypes()[i].UTI(), kUTTypeQuickTimeMovie) << titles[i];
    for (const auto& button : screen->typeButtons()) EXPECT_TRUE(button->isEnabled());
    savePicture("share_folder_sheet.png");
    screen->cancelSharing();
    advance(1);

    // A movie of the smallest size: 12 pictures and the last one's end, and PCM sound.
    screen = saveAs("Medium - 360p", folder() + "/My Movie.mov");
    ASSERT_NE(screen, nullptr);
    advance(1);
    window->layoutIfNeeded();
    savePicture("share_folder_done.png");
    const std::string cached = *screen->renderer()->exportURL();
    auto facts = testsupport::probeMovieFacts(folder() + "/My Movie.mov");
    EXPECT_TRUE(facts.readable);
    EXPECT_EQ(facts.width, 640);
    EXPECT_EQ(facts.frameTimes.size(), 13u);
    EXPECT_NE(inode(folder() + "/My Movie.mov"), inode(cached)) << "never another name of the cache file";
    ASSERT_NO_FATAL_FAILURE(finishWithDone(*screen));

    // The GIF: twelve pictures at 640×360; the second save takes the next name.
    for (const char* name : {"My Movie.gif", "My Movie 2.gif"}) {
        screen = saveAs("Animated GIF", folder() + "/" + name);
        ASSERT_NE(screen, nullptr);
        ASSERT_NO_FATAL_FAILURE(finishWithDone(*screen));
        auto frames = testsupport::runProcess({"identify", "-format", "%wx%h\n", folder() + "/" + name});
        ASSERT_EQ(frames.exitCode, 0) << frames.output;
        std::string expected;
        for (int i = 0; i < 12; ++i) expected += "640x360\n";
        EXPECT_EQ(frames.output, expected) << name;
    }

    // The pictures: a folder of its own, one full-size JPEG a frame.
    screen = saveAs("Export All Images", folder() + "/My Movie");
    ASSERT_NE(screen, nullptr);
    ASSERT_NO_FATAL_FAILURE(finishWithDone(*screen));
    std::vector<std::string> pictures;
    for (const auto& entry : fs::directory_iterator(folder() + "/My Movie")) pictures.push_back(entry.path());
    std::sort(pictures.begin(), pictures.end());
    ASSERT_EQ(pictures.size(), 12u);
    EXPECT_EQ(fs::path(pictures.front()).filename(), "frame-00000.jpg");
    for (const std::string& picture : pictures) {
        auto size = testsupport::runProcess({"identify", "-format", "%m %wx%h", picture});
        EXPECT_EQ(size.output, "JPEG 320x180") << picture;
    }

    // The archive: a zip that unzip finds whole, holding the project's metadata.
    screen = saveAs("Export Project", folder() + "/My Movie.tollivarmobile");
    ASSERT_NE(screen, nullptr);
    ASSERT_NO_FATAL_FAILURE(finishWithDone(*screen));
    auto tested = testsupport::runProcess({"unzip", "-t", folder() + "/My Movie.tollivarmobile"});
    EXPECT_EQ(tested.exitCode, 0) << tested.output;
    EXPECT_NE(tested.output.find("kelbrin.meta"), std::string::npos) << tested.output;

    // The card wipes its render cache when it closes; every saved item stays.
    MovieRenderer::cleanRenderCacheForProject(project);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder())) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"My Movie", "My Movie 2.gif", "My Movie.gif", "My Movie.mov",
                                               "My Movie.tollivarmobile"}));
    EXPECT_TRUE(testsupport::probeMovieFacts(folder() + "/My Movie.mov").readable);
}

// A frame's picture, a voice-over or music that cannot be read (a FIFO, a
// link to /dev/zero in the project) leaves a placeholder, silence or a gap
// in the archive: each export's finish names what it left out, and the
// movie is made again next time rather than passed on as current.
TEST_F(SaveToFolderTest, EachExportNamesWhatItCouldNotReadAndLeftOut) {
    using testsupport::Hostile;
    auto list = project->getFrameList();
    const std::string third = list->getFrameAtIndex(2)->frameID();
    const std::pair<int64_t, const char*> sounds[] = {{4, "voice.m4a"}, {7, "music.m4a"}};
    for (const auto& [index, name] : sounds) {
        auto clip = std::make_shared<KWAudioClip>(std::string("0:01"), std::string(name));
        clip->setDuration(1000), clip->setStop(1000), clip->setVolume(1.0f);
        list->getFrameAtIndex(index)->setAudio(clip);
    }
    ASSERT_TRUE(project->saveAllDataToDisk());
    const std::string inProject = *project->getProjectPath() + "/";
    const std::string picture = KWImageProducer::frameFileName(third);
    const std::string preview = KWImageProducer::previewFileName(third);
    testsupport::placeHostile(inProject + picture, Hostile::Fifo);
    testsupport::placeHostile(inProject + preview, Hostile::LinkToZero);
    testsupport::placeHostile(inProject + "voice.m4a", Hostile::LinkToZero);
    testsupport::placeHostile(inProject + "music.m4a", Hostile::Fifo);

    const std::string sound = "the sound of frame 5 (“voice.m4a”) and the sound of frame 8 (“music.m4a”)";
    const std::string leftOut = "\nThese files could not be read and were left out: ";
    struct Save {
        const char* title;
        std::string item;
        std::string said;
    };
    const Save saves[] = {
        {"Medium - 360p", "My Movie.mov", "the picture of frame 3 (“" + preview + "”), " + sound},
        {"Animated GIF", "My Movie.gif", "the picture of frame 3 (“" + preview + "”)"},
        {"Export All Images", "My Movie", "the picture of frame 3 (“" + picture + "”)"},
        {"Export Project", "My Movie.tollivarmobile",
         "“" + picture + "”, “music.m4a”, “" + preview + "” and “voice.m4a”"},
    };
    for (const Save& save : saves) {
        SCOPED_TRACE(save.title);
        ShareViewController* screen = choose(std::make_shared<ICloudConnectHandler>());
        ASSERT_TRUE(screen && tapType(*screen, save.title));
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return screen->panel()->infoText().starts_with("Saved"); }, 600))
            << screen->panel()->infoText();
        EXPECT_EQ(screen->panel()->infoText(), doneText(folder() + "/" + save.item) + leftOut + save.said + ".");
        ASSERT_NO_FATAL_FAILURE(finishWithDone(*screen));
    }
    EXPECT_EQ(testsupport::probeMovieFacts(folder() + "/My Movie.mov").frameTimes.size(), 13u) << "a placeholder";
    EXPECT_EQ(testsupport::namesInFolder(folder() + "/My Movie").size(), 12u);
    // The movie with its holes is not current: the next save renders again,
    // and says again what it left out.
    ShareViewController* again = choose(std::make_shared<ICloudConnectHandler>());
    ASSERT_NE(again, nullptr);
    ASSERT_TRUE(tapType(*again, "Medium - 360p"));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return again->panel()->infoText().starts_with("Saved"); }, 600));
    EXPECT_NE(again->panel()->infoText().find(sound), std::string::npos) << again->panel()->infoText();
    ASSERT_NO_FATAL_FAILURE(finishWithDone(*again));
}

TEST_F(SaveToFolderTest, OpenFolderShowsTheFolderInTheFileManager) {
    programs.write("xdg-open", "printf '%s' \"$@\" > '" + folders.root() + "/bin/opened'\n");
    ShareViewController* screen = saveAs("Animated GIF", folder() + "/My Movie.gif");
    ASSERT_NE(screen, nullptr);
    advance(1);
    window->layoutIfNeeded();
    auto open = screen->panel()->navigationItem().leftBarButtonItem();
    ASSERT_TRUE(open && open->view()) << "Open Folder where Cancel was";
    EXPECT_EQ(open->title(), "Open Folder");
    fingers.tap(centerOf(*open->view()));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return fs::exists(folders.root() + "/bin/opened"); }, 30));
    std::ifstream opened(folders.root() + "/bin/opened");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(opened), {}), folder());
    EXPECT_TRUE(alertMessages().empty());
    ASSERT_NO_FATAL_FAILURE(finishWithDone(*screen));

    // Without a file manager to ask, the user hears so.
    testsupport::ScopedEnvironment path({{"PATH", folders.root() + "/none"}});
    screen = saveAs("Animated GIF", folder() + "/My Movie 2.gif");
    ASSERT_NE(screen, nullptr);
    screen->handler()->performSuccessAction();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !alertMessages().empty(); }, 30));
    EXPECT_EQ(alertMessages(), std::vector<std::string>{"The folder \"" + folder() + "\" could not be opened."});
    for (auto& alert : ui::AlertView::visibleAlerts()) alert->dismissWithClickedButtonIndex(0, false);
    ASSERT_NO_FATAL_FAILURE(finishWithDone(*screen));
}

TEST_F(SaveToFolderTest, AFailedSaveSaysWhyAndTryAgainSavesTheSameFile) {
    // The documents folder is taken by a file: nothing can be made below it.
    std::ofstream(folders.root() + "/documents") << "not a folder";
    ShareViewController* screen = choose(std::make_shared<ICloudConnectHandler>());
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(tapType(*screen, "Animated GIF"));
    auto panel = screen->panel();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return panel->navigationItem().rightBarButtonItem() != nullptr; }, 600));
    // What could not be saved, where, and why, in the user's words.
    EXPECT_EQ(panel->infoText(), "\"My Movie.gif\" could not be saved in \"" + folder() + "\": \"" + folders.root() +
                                     "/documents\" is a file, not a folder.");
    auto tryAgain = panel->navigationItem().rightBarButtonItem();
    EXPECT_EQ(tryAgain->title(), "Try Again");
    advance(1);
    window->layoutIfNeeded();
    savePicture("share_folder_failure.png");

    fs::remove(folders.root() + "/documents");
    const auto rendered = screen->renderer()->exportURL();
    tryAgain->action()(*tryAgain);
    ASSERT_TRUE(waitForInfo(*screen, doneText(folder() + "/My Movie.gif")));
    EXPECT_EQ(screen->renderer()->exportURL(), rendered) << "the same file, not rendered again";
    ASSERT_NO_FATAL_FAILURE(finishWithDone(*screen));
}

TEST_F(SaveToFolderTest, ACrashedSaveIsSweptAndOnlyRealWriteErrorsReachTheUser) {
    // What a save killed midway left: its claimed scratch folder, now held
    // by no one. A save under way in another process holds its own.
    const std::string leftover = folder() + "/.copy.partial-0F8C4B4E-9B1F-4C1A-8E4B-2D6B1D3E9A11";
    fs::create_directories(leftover + "/item");
    std::ofstream(leftover + "/item/frame-00000.jpg") << "half a picture";
    auto underWay = foundation::TemporaryClaim::create(folder() + "/copy", foundation::TemporaryClaim::Kind::Folder);
    ASSERT_TRUE(underWay);
    {
        // On a file system that cannot flush folders the pictures' folder
        // is saved all the same.
        testsupport::ScopedSyncFailure folders(testsupport::ScopedSyncFailure::On::Folders, EINVAL);
        ShareViewController* screen = saveAs("Export All Images", folder() + "/My Movie");
        ASSERT_NE(screen, nullptr);
        EXPECT_GT(folders.failures(), 0);
        ASSERT_NO_FATAL_FAILURE(finishWithDone(*screen));
    }
    EXPECT_FALSE(fs::exists(leftover)) << "swept by the next save";
    EXPECT_TRUE(fs::exists(underWay->path())) << "a held one is in use";
    underWay->discard();
    EXPECT_EQ(testsupport::namesInFolder(folder()), std::vector<std::string>{"My Movie"});

    // A disk that loses what was written: the save fails with the system's
    // words and leaves nothing, neither the copy nor its scratch folder.
    const std::string made = folders.root() + "/made.gif";
    std::ofstream(made) << "GIF89a";
    auto handler = std::make_shared<ICloudConnectHandler>();
    sharetest::RecordingDelegate delegate;
    handler->setDelegate(&delegate);
    {
        testsupport::ScopedSyncFailure files(testsupport::ScopedSyncFailure::On::Files, EIO);
        handler->uploadFile(made, "", "", kUTTypeGIF);
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return delegate.ended(); }, 30));
    }
    ASSERT_EQ(delegate.failures.size(), 1u);
    EXPECT_EQ(delegate.failures[0].domain, "ICloudConnectHandler");
    EXPECT_NE(delegate.failures[0].description.find("Input/output error"), std::string::npos)
        << delegate.failures[0].description;
    EXPECT_EQ(delegate.finished, 0);
    EXPECT_EQ(testsupport::namesInFolder(folder()), std::vector<std::string>{"My Movie"});

    // The rendered file gone from the cache: the message names it, not the folder.
    fs::remove(made);
    handler->uploadFile(made, "", "", kUTTypeGIF);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return delegate.failures.size() == 2; }, 30));
    EXPECT_EQ(delegate.failures[1].description, "\"" + ProjectDataWrapper::getDefaultName() +
                                                    ".gif\" could not be saved in \"" + folder() +
                                                    "\": the rendered file \"" + made + "\" is missing.");
    EXPECT_EQ(testsupport::namesInFolder(folder()), std::vector<std::string>{"My Movie"});
}

struct SaveToFolderOnAPhoneTest : SaveToFolderTest {
    SaveToFolderOnAPhoneTest() : SaveToFolderTest(graphics::Rect(0, 0, 568, 320)) {}
    void SetUp() override {
        ui::Device::current().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Phone);
        ui::Device::current().setScreenBounds(graphics::Rect(0, 0, 568, 320));
        SaveToFolderTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(makeProject("Grandma's Garden in Spring"));
    }
};

// Save to Folder with the render cache emptied under the save, of a movie and
// of the pictures' folder: the save fails saying in full which rendered file
// is missing (every word drawn on a phone's panel, a longer name in the
// paths), and Try Again, tapped where it is drawn, renders it anew and saves.
TEST_F(SaveToFolderOnAPhoneTest, WithTheRenderGoneTheWholeMessageShowsAndTryAgainRendersItAgain) {
    for (const std::string type : {"Medium - 360p", "Export All Images"}) {
        SCOPED_TRACE(type);
        const std::string item = project->getName() + (type[0] == 'M' ? ".mov" : "");
        ShareViewController* screen = choose(std::make_shared<RenderGoneUnderTheSave>());
        ASSERT_TRUE(screen && tapType(*screen, type));
        auto panel = screen->panel();
        ASSERT_TRUE(
            RunLoop::main().runUntil([&] { return panel->navigationItem().rightBarButtonItem() != nullptr; }, 600));
        std::string message = "\"" + item + "\" could not be saved in \"" + folder() + "\": the rendered file \"" +
                              screen->renderer()->exportURL().value() + "\" is missing.";
        advance(1);
        window->layoutIfNeeded();
        savePicture("share_folder_render_gone_phone.png");
        std::string drawn;
        for (const std::string& line : panel->labelInfo()->drawnLines().lines) drawn += line;
        std::erase(drawn, ' ');
        std::erase(message, ' ');
        EXPECT_EQ(drawn, message) << "every word drawn";

        auto tryAgain = panel->navigationItem().rightBarButtonItem();
        ASSERT_TRUE(tryAgain->title() == "Try Again" && tryAgain->view());
        fingers.tap(centerOf(*tryAgain->view()));
        ASSERT_TRUE(waitForInfo(*screen, doneText(folder() + "/" + item))) << panel->infoText();
        EXPECT_TRUE(fs::exists(folder() + "/" + item));
        ASSERT_NO_FATAL_FAILURE(finishWithDone(*screen));
    }
}

TEST_F(SaveToFolderTest, TheSavedMoviesPictureShowsWholeInItsPanel) {
    // The project's pictures are 16:9 quadrants (red, green over blue, white);
    // the panel above the done text is far wider than that.
    ShareViewController* screen = saveAs("Animated GIF", folder() + "/My Movie.gif");
    ASSERT_NE(screen, nullptr);
    advance(2);  // the last preview has faded in
    window->layoutIfNeeded();
    savePicture("share_folder_done_picture.png");
    const graphics::Rect panel = inWindow(screen->panel()->progressPanel());
    ASSERT_GT(panel.width(), panel.height() * 16 / 9 + 50) << "a panel as wide as the picture shows no difference";
    const graphics::Image shown = window->renderImage();
    const double scale = window->scale();
    auto at = [&](double x, double y) { return shown.pixelAt(int(x * scale), int(y * scale)); };
    auto isPicture = [](graphics::RGBA pixel) {
        for (graphics::RGBA colour : {graphics::RGBA{255, 0, 0, 255}, graphics::RGBA{0, 255, 0, 255}})
            if (testsupport::pixelNear(pixel, colour, 24)) return true;
        return false;
    };
    // Where the upper quadrants show along a row through them.
    const double row = panel.minY() + panel.height() / 4;
    double left = -1, right = -1;
    for (double x = panel.minX(); x < panel.maxX(); x += 1.0 / scale) {
        if (!isPicture(at(x, row))) continue;
        if (left < 0) left = x;
        right = x;
    }
    ASSERT_GE(left, 0) << "no picture in the panel";
    // The whole height, the width the picture's aspect gives it, in the middle.
    const double width = right - left + 1;
    EXPECT_NEAR(width, panel.height() * 16 / 9, 3) << "cropped or stretched";
    EXPECT_NEAR((left + right) / 2, panel.midX(), 3);
    // Every corner of the picture shows: nothing is cut off.
    const double top = panel.minY() + 2, bottom = panel.maxY() - 30;  // above the progress bar
    const std::pair<graphics::Point, graphics::RGBA> corners[] = {
        {{left + 2, top}, {255, 0, 0, 255}},
        {{right - 2, top}, {0, 255, 0, 255}},
        {{left + 2, bottom}, {0, 0, 255, 255}},
        {{right - 2, bottom}, {255, 255, 255, 255}},
    };
    for (const auto& [point, colour] : corners)
        EXPECT_TRUE(testsupport::pixelNear(at(point.x, point.y), colour, 24)) << point.x << ", " << point.y;
    ASSERT_NO_FATAL_FAILURE(finishWithDone(*screen));
}

// A photograph's worth of detail: gradients under grain that differs from
// picture to picture.
graphics::Image grainyPicture(int entry, int width = 640, int height = 360) {
    QImage bitmap(width, height, QImage::Format_RGB32);
    uint32_t seed = 2463534242u + uint32_t(entry);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(bitmap.scanLine(y));
        for (int x = 0; x < width; ++x) {
            seed ^= seed << 13, seed ^= seed >> 17, seed ^= seed << 5;
            const int grain = int(seed % 13) - 6;
            line[x] = qRgb(std::clamp(x * 255 / width + grain, 0, 255), std::clamp(y * 255 / height + grain, 0, 255),
                           std::clamp((x + y + entry * 40) % 256 + grain, 0, 255));
        }
    }
    return graphics::Image(std::move(bitmap));
}

// What a saved item weighs: a file, or the files of a folder.
uint64_t bytesOf(const std::string& path) {
    if (!fs::is_directory(path)) return fs::file_size(path);
    uint64_t bytes = 0;
    for (const auto& entry : fs::recursive_directory_iterator(path))
        if (entry.is_regular_file()) bytes += entry.file_size();
    return bytes;
}

TEST_F(SaveToFolderTest, TheSizesOfferedAreWhatTheSavedItemsWeigh) {
    struct Picture {
        graphics::Image image;
        int64_t hold;
    };
    auto flat = [](int count) {
        return std::vector<Picture>(size_t(count), Picture{testsupport::quadrantsImage(320, 180), 1});
    };
    auto joined = [](std::vector<Picture> a, const std::vector<Picture>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    struct Project {
        const char* what;
        std::vector<Picture> pictures;
        bool fades = false;
    };
    const Project projects[] = {
        {"flat drawings", flat(12)},
        {"grainy photographs, one held three times",
         {{grainyPicture(0), 1}, {grainyPicture(1), 3}, {grainyPicture(2), 1}}},
        {"grainy cards held around flat drawings",
         joined(joined({{grainyPicture(3, 320, 180), 3}}, flat(5)), {{grainyPicture(4, 320, 180), 3}})},
        // The title's first pictures are dark, its later ones not.
        {"grainy cards held through the fades",
         joined(joined({{grainyPicture(5, 320, 180), 8}}, flat(2)), {{grainyPicture(6, 320, 180), 2}}), true},
    };
    const std::pair<const char*, const char*> exports[] = {
        {"Animated GIF", "My Movie.gif"},
        {"Export All Images", "My Movie"},
        {"Export Project", "My Movie.tollivarmobile"},
    };
    for (const Project& made : projects) {
        SCOPED_TRACE(made.what);
        fs::remove_all(folder());
        project = ProjectModel::create();
        KWImageProducer producer(project);
        auto list = project->getFrameList();
        for (const Picture& picture : made.pictures) {
            FramePtr frame = Frame::create(Frame::kTypePicture);
            ASSERT_TRUE(producer.storeImage(picture.image, frame->frameID()));
            frame->setDuration(picture.hold);
            list->insertFrame(frame, list->getCaptureIndex());
        }
        project->setName("My Movie");
        for (const char* fade : {projectkeys::kThemeFadeIn, projectkeys::kThemeFadeOut})
            project->getMetaData()->set(fade, foundation::Value(made.fades));
        ASSERT_TRUE(project->saveAllDataToDisk());

        // The sizes as the sheet offers them ("Animated GIF  27 KB").
        ShareViewController* screen = choose(std::make_shared<ICloudConnectHandler>());
        ASSERT_NE(screen, nullptr);
        std::map<std::string, double> offered;
        for (const auto& button : screen->typeButtons()) {
            const std::string title = button->currentTitle();
            const size_t gap = title.rfind("  ");
            if (gap == std::string::npos || !title.ends_with(" KB")) continue;
            offered[title.substr(0, gap)] = std::stod(title.substr(gap + 2)) * 1024;
        }
        screen->cancelSharing();
        advance(1);
        for (const auto& [title, name] : exports) {
            ASSERT_TRUE(offered.contains(title)) << title << " offers no size in kilobytes";
            screen = saveAs(title, folder() + "/" + name);
            ASSERT_NE(screen, nullptr);
            ASSERT_NO_FATAL_FAILURE(finishWithDone(*screen));
            const double written = double(bytesOf(folder() + "/" + name));
            EXPECT_LE(written / offered[title], 1.5) << title << ": " << written << " bytes written";
            EXPECT_GE(written / offered[title], 1 / 1.5) << title << ": " << written << " bytes written";
        }
    }
}

TEST(SaveToFolderTexts, AFailedSaveSaysWhatWhereAndWhyWithoutACode) {
    const std::string folder = "/home/ada/Documents/Tollivar", said = "\"My Movie.gif\" could not be saved in \"";
    const std::pair<int, std::string> reasons[] = {{EROFS, "the disk is read-only"},
                                                   {EACCES, "you do not have permission to write there"},
                                                   {EPERM, "you do not have permission to write there"},
                                                   {ENOSPC, "the disk is full"},
                                                   {EDQUOT, "the disk is full"},
                                                   {EIO, "Input/output error"}};
    for (const auto& [code, why] : reasons)
        EXPECT_EQ(
            ICloudConnectHandler::notSavedText("My Movie.gif", "/made.gif", folder,
                                               foundation::fileSystemError(code, folder + "/.copy.partial-1", true)),
            said + folder + "\": " + why + ".");

    // What a read-only disk makes of a save, through the file manager.
    testsupport::TempAppFolders folders;
    const std::string made = folders.root() + "/made.gif", disk = folders.root() + "/disk";
    testsupport::writeFileBytes(made, "GIF89a");
    fs::create_directories(disk);
    const int code = testsupport::onPrivateDevice(disk, 64, true, [&] {
        auto saved = foundation::FileManager::defaultManager().copyItemUnderFreeName(made, disk, "My Movie", "gif");
        return !saved && ICloudConnectHandler::notSavedText("My Movie.gif", made, disk, saved.error()) ==
                             said + disk + "\": the disk is read-only."
                   ? 0
                   : 1;
    });
    if (code == testsupport::kNoPrivateDevice) GTEST_SKIP() << "cannot mount a private file system here";
    EXPECT_EQ(code, 0);
}

TEST(SaveToFolderNames, AProjectsNameBecomesASafeFileName) {
    struct Case {
        std::string name, stem;
    };
    const std::string longName(300, 'x');
    const std::string umlauts = std::string(199, 'a') + "\xc3\xa4\xc3\xa4";  // 199 + 2 × 2 bytes
    const Case cases[] = {
        {"My Movie", "My Movie"},
        {"Day/Night: Part 1", "Day-Night: Part 1"},
        {"..hidden", "hidden"},
        {"  spaced  ", "spaced"},
        {"tab\there\nnewline", "tabherenewline"},
        {"", "My Stop Ziruru Movie"},
        {" . ", "My Stop Ziruru Movie"},
        {longName, std::string(200, 'x')},
        {umlauts, std::string(199, 'a')},
    };
    for (const Case& c : cases) EXPECT_EQ(ICloudConnectHandler::fileStemForName(c.name), c.stem) << c.name;
}

}  // namespace
