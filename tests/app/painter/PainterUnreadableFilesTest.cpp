#include "PainterScreenFixture.h"
#include "app/painter/PainterFrameSave.h"
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

// What tells one file from another: its kind, size and inode.
struct Identity {
    mode_t type;
    off_t size;
    ino_t inode;
    bool operator==(const Identity&) const = default;
};

Identity identityOf(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return {0, -1, 0};
    return {mode_t(info.st_mode & S_IFMT), info.st_size, info.st_ino};
}

// Whether an alert on screen says `part`; the alerts go.
bool toldOf(const std::string& part) {
    const auto texts = testsupport::visibleAlertMessages();
    for (auto& alert : ui::AlertView::visibleAlerts()) alert->dismissWithClickedButtonIndex(ui::kNoButtonIndex, false);
    return std::any_of(texts.begin(), texts.end(),
                       [&](const auto& text) { return text.find(part) != std::string::npos; });
}

// A file of a painting that is there but cannot be read (or decoded) is
// named when the painter opens; a save leaves it exactly as it was, writes
// the rest of the painting, keeps the frame's picture and says why.
TEST_F(PainterUnreadableFilesTest, AFileThatCannotBeReadIsNeverWrittenOverOrRemoved) {
    addFrames(1);
    const std::string id = frameID(0);
    ASSERT_TRUE(open(0, false));
    drawLine({100, 100}, {300, 200});
    ASSERT_TRUE(painter->layerManager()->addLayerAtIndex(0));
    drawLine({500, 100}, {700, 300});
    ASSERT_TRUE(painter->saveAndClose());
    const auto& layers = painter->layerManager()->layers();
    const std::string active = layers[0]->UUID, other = layers[1]->UUID;
    // Every case starts from the painting as saved here.
    std::map<std::string, foundation::Bytes> saved;
    for (const auto& entry : fs::directory_iterator(*project->getProjectPath()))
        saved[entry.path().filename()] = *fileData(entry.path().filename());

    const struct {
        std::string file, part;
    } targets[] = {
        {painterfiles::unpaintedFileName(id), "the picture the painting started from"},
        {painterfiles::strokesFileName(id), "the strokes of this frame"},
        {PainterLayerManager::layersFileName(id), "the list of layers"},
        {PainterLayerManager::layerStrokesFileName(id, active), "the layer “Draw Layer 1”"},
        {PainterLayerManager::layerPictureFileName(id, other), "the layer “Layer”"},
    };
    // What anyone could put in its place, and for a layer's files bytes
    // that do not decode (other damaged files are kept aside as copies).
    std::vector<std::pair<std::string, std::function<void(const std::string&)>>> forms;
    for (testsupport::Hostile kind : testsupport::kHostileKinds)
        forms.emplace_back(testsupport::describe(kind), [kind](const std::string& p) { placeHostile(p, kind); });
    forms.emplace_back("damaged",
                       [](const std::string& p) { fs::remove(p), std::ofstream(p, std::ios::binary) << "bad"; });
    for (const auto& target : targets) {
        const std::string file = path(target.file);
        ASSERT_TRUE(saved.count(target.file)) << target.file;
        for (const auto& [form, make] : forms) {
            if (form == "damaged" && target.file.find("canvas-" + id + "-") == std::string::npos) continue;
            const std::string what = target.file + " as " + form;
            make(file);
            const Identity before = identityOf(file);
            const auto picture = fileData(KWImageProducer::frameFileName(id));
            const auto strokes = fileData(painterfiles::strokesFileName(id));
            ASSERT_TRUE(open(0, false)) << what;
            EXPECT_TRUE(toldOf(target.part)) << what;
            drawLine({200, 400}, {600, 450});
            EXPECT_FALSE(painter->saveAndClose()) << what;
            EXPECT_TRUE(toldOf(target.part + ". It was left as it is and the rest was saved")) << what;
            EXPECT_EQ(identityOf(file), before) << what;
            EXPECT_EQ(fileData(KWImageProducer::frameFileName(id)), picture) << what;
            if (target.part != "the strokes of this frame") {
                EXPECT_NE(fileData(painterfiles::strokesFileName(id)), strokes) << what << ": the strokes are saved";
            }
            fs::remove(file);
            for (const auto& [name, bytes] : saved) ASSERT_TRUE(project->updateRegularFileWithContents(bytes, name));
            advance(1);
        }
    }
    EXPECT_EQ(completions, 1);
}

}  // namespace
