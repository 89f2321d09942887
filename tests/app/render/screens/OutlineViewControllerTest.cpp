// The outline editor: the form as stored texts and placeholders fill it,
// moving between fields, and saving — on collapsing, and also on Done, the
// "Theme" tab and leaving — of all eight keys and the movie name.

#include "RenderScreenTestSupport.h"
#include "app/render/OutlineTexts.h"
#include "app/render/screens/OutlineViewController.h"
#include "app/render/screens/ThemeSettingsNames.h"
#include "app/widgets/cells/ELCTextFieldCell.h"
#include "app/widgets/views/NXNavigationController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationItem.h"

namespace {

using namespace outlinekeys;

class OutlineTest : public renderscreens::RenderScreenTest {
protected:
    void SetUp() override {
        RenderScreenTest::SetUp();
        project = savedProject(1);
        (*project->getMetaData()).set(projectkeys::kName, "Space Race");
        ASSERT_TRUE(project->saveMetaDataToDisk());
        for (const char* name : {themesettings::kThemeShowCreditsNotification,
                                 themesettings::kOutlineHasChangedNotification, themesettings::kThemeDoneNotification})
            tokens.push_back(foundation::NotificationCenter::defaultCenter().addObserver(
                name, nullptr, [this](const foundation::Notification& n) {
                    posted.push_back(n.name);
                    if (n.name == themesettings::kOutlineHasChangedNotification)
                        lastCard = n.userInfo.get(themesettings::kOutlineLastCardUsedKey).asInt(-1);
                }));
    }
    // The editor pushed over a stand-in sheet, the sheet expanded over the window.
    void open() {
        sheet = std::make_shared<ui::ViewController>();
        navigation = std::make_shared<NXNavigationController>(sheet);
        showFillingRoot(navigation);
        outline = std::make_shared<OutlineViewController>(OutlineViewController::kNibName, project);
        navigation->pushViewController(outline, false);
        window->layoutIfNeeded();
        advance(0.1);
    }
    ui::TextField& field(size_t section, size_t row) {
        auto cell = std::dynamic_pointer_cast<ELCTextFieldCell>(
            outline->tableView()->cellForRowAtIndexPath(ui::IndexPath{section, row}));
        if (!cell) {
            outline->tableView()->scrollToRowAtIndexPath(ui::IndexPath{section, row},
                                                         ui::TableViewScrollPosition::Middle, false);
            window->layoutIfNeeded();
            cell = std::dynamic_pointer_cast<ELCTextFieldCell>(
                outline->tableView()->cellForRowAtIndexPath(ui::IndexPath{section, row}));
        }
        EXPECT_TRUE(cell) << section << "/" << row;
        return *cell->rightTextField();
    }
    // Types into a field as a user does: focus, replace the text, leave.
    void type(size_t section, size_t row, const std::string& text) {
        ui::TextField& f = field(section, row);
        ASSERT_TRUE(f.becomeFirstResponder());
        f.setSelectedRange(ui::TextRange{0, f.text().size()});
        if (text.empty())
            f.keyPressed(ui::Key::Backspace, 0);
        else
            f.insertText(text);
        f.resignFirstResponder();
    }
    foundation::Dictionary storedOutline() { return storedMetaData(project).get(kOutlineData).asDictionary(); }

    ProjectModelPtr project;
    std::shared_ptr<ui::ViewController> sheet;
    std::shared_ptr<NXNavigationController> navigation;
    std::shared_ptr<OutlineViewController> outline;
    std::vector<foundation::ObserverToken> tokens;
    std::vector<std::string> posted;
    int64_t lastCard = -1;
};

TEST_F(OutlineTest, AFormWithoutAStoredOutlineShowsPlaceholdersAndTheMovieName) {
    (*project->getMetaData()).set(kOutlineData, foundation::Dictionary{{kStudio, "Acme Studios"}, {kStar, "Us"}});
    open();
    EXPECT_EQ(posted, std::vector<std::string>{themesettings::kThemeShowCreditsNotification});
    const std::vector<std::vector<std::string>> values = {{"Space Race"}, {"Us"}, {""}, {"", "", "", "", ""}};
    EXPECT_EQ(outline->values(), values) << "a stored placeholder opens empty";
    const std::vector<std::vector<std::string>> keys = {
        {kMovieName}, {kStar}, {kStudio}, {kDirectedBy, kProducedBy, kWrittenBy, kEditedBy, kMusicBy}};
    EXPECT_EQ(outline->metadataIds(), keys);
    EXPECT_EQ(outline->labels()[3][1], "Executive\nProducer");
    EXPECT_EQ(field(0, 0).placeholder(), "My First Movie");
    EXPECT_EQ(field(3, 4).placeholder(), "iTunes");
    EXPECT_EQ(field(3, 4).returnKeyType(), ui::ReturnKeyType::Done);
    EXPECT_EQ(field(2, 0).returnKeyType(), ui::ReturnKeyType::Next);
    savePicture("outline-editor.png");

    // "Next" on "Studio Name" goes to "Directed By"; "Done" on the last keeps nothing open.
    ASSERT_TRUE(field(2, 0).becomeFirstResponder());
    field(2, 0).keyPressed(ui::Key::Return, 0);
    EXPECT_TRUE(field(3, 0).isFirstResponder());
    ASSERT_TRUE(field(3, 4).becomeFirstResponder());
    field(3, 4).keyPressed(ui::Key::Return, 0);
    EXPECT_FALSE(field(3, 4).isFirstResponder());
}

TEST_F(OutlineTest, CollapsingAfterAnEditSavesAllEightKeysAndTheName) {
    open();
    type(0, 0, "Moon Men");
    type(3, 0, "Ada");
    EXPECT_TRUE(outline->isOutlineChanged());
    EXPECT_EQ(outline->lastCardUsed(), 1);
    posted.clear();
    outline->actionChangeSize();
    advance(0.3);
    EXPECT_GT(navigation->view()->frame().origin.y, 0) << "collapsed";
    EXPECT_EQ(posted, std::vector<std::string>{themesettings::kOutlineHasChangedNotification});
    EXPECT_EQ(lastCard, 1);
    EXPECT_FALSE(outline->isOutlineChanged());

    const foundation::Dictionary stored = storedMetaData(project);
    EXPECT_EQ(stored.get(projectkeys::kName).asString(), "Moon Men");
    EXPECT_TRUE(stored.get(projectkeys::kNeedsRendering).asBool());
    const foundation::Dictionary texts = stored.get(kOutlineData).asDictionary();
    const std::pair<const char*, const char*> expected[] = {
        {kMovieName, "Moon Men"},  {kStar, "Captain Clay and Dotty the Dog"},
        {kStudio, "Acme Studios"}, {kDirectedBy, "Ada"},
        {kProducedBy, "Me"},       {kWrittenBy, "Me"},
        {kEditedBy, "Me"},         {kMusicBy, "iTunes"},
    };
    EXPECT_EQ(texts.size(), 8u);
    for (const auto& [key, text] : expected) EXPECT_EQ(texts.get(key).asString(), text) << key;

    // Starting to edit expands the sheet again.
    ASSERT_TRUE(field(1, 0).becomeFirstResponder());
    advance(0.3);
    EXPECT_EQ(navigation->view()->frame().origin.y, 0);
}

TEST_F(OutlineTest, EditsAreSavedOnDoneOnTheThemeTabAndOnLeaving) {
    struct Route {
        const char* name;
        std::function<void()> leave;
        std::vector<std::string> notifications;
    };
    const Route routes[] = {
        {"Done",
         [this] { outline->actionDone(); },
         {themesettings::kOutlineHasChangedNotification, themesettings::kThemeDoneNotification}},
        {"Theme tab", [this] { outline->actionUpload(); }, {themesettings::kOutlineHasChangedNotification}},
        {"back", [this] { navigation->popViewController(false); }, {themesettings::kOutlineHasChangedNotification}},
        {"sheet taken away",
         [this] { navigation->view()->removeFromSuperview(); },
         {themesettings::kOutlineHasChangedNotification}},
    };
    for (const Route& route : routes) {
        open();
        type(1, 0, std::string("Cast of ") + route.name);
        posted.clear();
        route.leave();
        advance(0.5);
        EXPECT_EQ(posted, route.notifications) << route.name;
        EXPECT_EQ(storedOutline().get(kStar).asString(), std::string("Cast of ") + route.name) << route.name;
    }
    // Leaving without an edit saves nothing.
    open();
    posted.clear();
    outline->actionUpload();
    EXPECT_TRUE(posted.empty());
    EXPECT_EQ(navigation->topViewController(), sheet.get());
}

TEST_F(OutlineTest, AClearedMovieNameStoresAnEmptyNameAndThePlaceholder) {
    open();
    type(0, 0, "");
    EXPECT_EQ(outline->lastCardUsed(), 0);
    ASSERT_TRUE(outline->saveDataAndFinish());
    EXPECT_EQ(lastCard, 0);
    EXPECT_EQ(storedMetaData(project).get(projectkeys::kName).asString(), "");
    EXPECT_EQ(storedOutline().get(kMovieName).asString(), "My First Movie");
}

TEST(OutlinePlaceholders, TheCardRendererGetsTheProjectsNameOrTheDefault) {
    testsupport::TempAppFolders folders;
    auto project = ProjectModel::create();
    OutlineViewController editor(project);
    foundation::Dictionary outline = editor.getPlaceholderOutline();
    EXPECT_EQ(outline.size(), 8u);
    EXPECT_EQ(editor.values().size(), 4u) << "the arrays are made too";
    EXPECT_FALSE(outline.get(kMovieName).asString().empty());
    EXPECT_EQ(outline.get(kMusicBy).asString(), "iTunes");
}

}  // namespace
