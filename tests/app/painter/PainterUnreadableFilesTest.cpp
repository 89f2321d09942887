#include "PainterScreenFixture.h"
#include "app/painter/PainterLayerManager.h"
#include "platform/ui/controllers/AlertView.h"
#include "support/HostileFiles.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

class PainterUnreadableFilesTest : public PainterScreenFixture {};

// Kind, size and inode: what tells one file from another.
std::array<long, 3> identityOf(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? std::array<long, 3>{long(info.st_mode), info.st_size, long(info.st_ino)}
                                             : std::array<long, 3>{};
}

// Whether an alert on screen says `text`; the alerts go.
bool told(const std::string& text) {
    bool found = false;
    for (const std::string& message : testsupport::visibleAlertMessages())
        found |= message.find(text) != std::string::npos;
    for (auto& alert : ui::AlertView::visibleAlerts()) alert->dismissWithClickedButtonIndex(ui::kNoButtonIndex, false);
    return found;
}

// A file of a painting that is there but cannot be read (or, for a layer's,
// decoded) is named when the painter opens; a save leaves it exactly as it
// was, writes the rest of the painting, keeps the frame's picture and says why.
TEST_F(PainterUnreadableFilesTest, AFileThatCannotBeReadIsNeverWrittenOverOrRemoved) {
    addFrames(1);
    const std::string id = frameID(0);
    ASSERT_TRUE(open(0, false));
    drawLine({100, 100}, {300, 200});
    ASSERT_TRUE(painter->layerManager()->addLayerAtIndex(0));
    drawLine({500, 100}, {700, 300});
    ASSERT_TRUE(painter->saveAndClose());
    const auto& layers = painter->layerManager()->layers();
    const std::pair<std::string, std::string> targets[] = {
        {painterfiles::unpaintedFileName(id), "the picture the painting started from"},
        {painterfiles::strokesFileName(id), "the strokes of this frame"},
        {PainterLayerManager::layersFileName(id), "the list of layers"},
        {PainterLayerManager::layerStrokesFileName(id, layers[0]->UUID), "the layer “Draw Layer 1”"},
        {PainterLayerManager::layerPictureFileName(id, layers[1]->UUID), "the layer “Layer”"},
    };
    std::map<std::string, foundation::Bytes> saved;  // every case starts from these
    for (const auto& entry : fs::directory_iterator(*project->getProjectPath()))
        saved[entry.path().filename()] = *fileData(entry.path().filename());
    std::vector<std::pair<std::string, std::function<void(const std::string&)>>> forms;
    for (testsupport::Hostile kind : testsupport::kHostileKinds)
        forms.emplace_back(testsupport::describe(kind), [kind](const std::string& p) { placeHostile(p, kind); });
    // Other damaged files are kept aside as copies, as before.
    forms.emplace_back("damaged", [](const std::string& p) { fs::remove(p), std::ofstream(p) << "bad"; });
    for (const auto& [file, part] : targets) {
        for (const auto& [form, make] : forms) {
            if (form == "damaged" && file.find("canvas-" + id + "-") == std::string::npos) continue;
            const std::string what = file + " as " + form;
            make(path(file));
            const auto before = identityOf(path(file));
            const auto picture = fileData(KWImageProducer::frameFileName(id));
            const auto strokes = fileData(painterfiles::strokesFileName(id));
            ASSERT_TRUE(open(0, false)) << what;
            EXPECT_TRUE(told(part)) << what;
            drawLine({200, 400}, {600, 450});
            EXPECT_FALSE(painter->saveAndClose()) << what;
            EXPECT_TRUE(told(part + ". It was left as it is and the rest was saved")) << what;
            EXPECT_EQ(identityOf(path(file)), before) << what;
            EXPECT_EQ(fileData(KWImageProducer::frameFileName(id)), picture) << what;
            EXPECT_TRUE(part == "the strokes of this frame" || fileData(painterfiles::strokesFileName(id)) != strokes)
                << what << ": the strokes are saved";
            fs::remove(path(file));
            for (const auto& [name, bytes] : saved) ASSERT_TRUE(project->updateRegularFileWithContents(bytes, name));
        }
    }
}

}  // namespace
