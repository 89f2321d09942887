// The document picker where no portal answers: our own chooser over a
// folder tree, driven by fingers and keys: what each folder shows, moving
// between folders and places, the path field, type-ahead, and that the
// picked file is named and left alone.

#include "PickerFixture.h"
#include "platform/foundation/DispatchSemaphore.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/library/DocumentPickerViewController.h"
#include "platform/library/DocumentType.h"
#include "platform/library/FileChooserViewController.h"
#include "platform/library/FolderListing.h"
#include "platform/ui/Window.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Switch.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using library::DocumentPickerViewController;
using library::FileChooserViewController;

constexpr const char* kArchiveType = "com.marrowick.tollivar.archive";
constexpr const char* kWayUp = "Parent Folder";

class FileChooserTest : public testsupport::PickerFixture {
protected:
    void SetUp() override {
        PickerFixture::SetUp();
        for (const char* folder :
             {"home", "documents/empty", "documents/Ångström", "documents/Holiday films/.hidden folder"})
            fs::create_directories(fs::path(folders.root()) / folder);
        for (const char* file :
             {"Alpha.tollivarmobile", "beta.tollivarmobile", "Holiday films/Été 2024.tollivarmobile",
              "Holiday films/Zebra.TOLLIVARMOBILE", "Holiday films/notes.txt", "Holiday films/.secret.tollivarmobile"})
            testsupport::writeFileBytes(documents + "/" + file, std::string("zip of ") + file);
        fs::create_directory_symlink(".", documents + "/loop");
        fs::create_symlink("ring-b", documents + "/ring-a");
        fs::create_symlink("ring-a", documents + "/ring-b");
        fs::create_symlink("nowhere", documents + "/dangling.tollivarmobile");
    }

    // The picker as the browser presents it, on a machine without a portal.
    void openChooser() {
        present(std::nullopt);
        advance(0.5);
        EXPECT_EQ(picker->state(), DocumentPickerViewController::State::InAppChooser);
    }
    FileChooserViewController& chooser() { return own ? *own : *picker->fileChooser(); }
    // A chooser of the test's own, reading folders with `reader`, under a
    // navigation bar as the picker shows it.
    void openOwnChooser(FileChooserViewController::FolderReader reader) {
        own = std::make_shared<FileChooserViewController>(
            std::vector{library::DocumentType::declared(kArchiveType)},
            library::ChooserPlaces{home, documents, folders.root() + "/downloads"}, documents, std::move(reader));
        own->onCancel = [this] { ++ownCancelled; };
        root->presentViewController(std::make_shared<ui::NavigationController>(own), false);
        listed();
    }
    // Lets the folder being read come in, as a user waits for it: the
    // reading's thread ends and its result is shown; no time passes.
    void listed() {
        foundation::RunLoop::main().runUntilIdle();
        EXPECT_FALSE(chooser().isReading());
    }

    // The rows as drawn, top to bottom.
    std::vector<std::string> rowTitles() {
        listed();
        ui::prepareForRendering(*window, 1.0);
        std::vector<std::string> titles;
        for (size_t row = 0; row < chooser().numberOfRows(); ++row) {
            auto cell = chooser().tableView()->cellForRowAtIndexPath(ui::IndexPath::indexPathForRow(row, 0));
            titles.push_back(cell ? cell->textLabel()->text() : "<not drawn>");
        }
        return titles;
    }
    const ui::View* row(const std::string& title) {
        listed();
        ui::prepareForRendering(*window, 1.0);
        for (const auto& cell : chooser().tableView()->visibleCells())
            if (cell->textLabel()->text() == title) return cell.get();
        ADD_FAILURE() << "no row " << title;
        return nullptr;
    }
    std::optional<std::string> selectedTitle() {
        listed();
        auto selected = chooser().selectedRow();
        if (!selected) return std::nullopt;
        return chooser()
            .tableView()
            ->cellForRowAtIndexPath(ui::IndexPath::indexPathForRow(*selected, 0))
            ->textLabel()
            ->text();
    }
    void typeInPathField(const std::string& text) {
        fingers.wait(1.0);
        tap(chooser().pathField());
        fingers.press(ui::Key::SelectAll);
        fingers.type(text);
        fingers.press(ui::Key::Return);
    }
    std::string urlOf(const std::string& relative) { return foundation::path::toFileURL(documents + "/" + relative); }

    testsupport::TempAppFolders folders;
    const std::string documents = folders.root() + "/documents", home = folders.root() + "/home";
    std::shared_ptr<FileChooserViewController> own;
    int ownCancelled = 0;
};

TEST_F(FileChooserTest, EachFolderShowsItsFoldersAndArchivesByNameAndHiddenOnesOnlyWhenAsked) {
    const std::vector<std::string> top = {
        kWayUp, "Ångström", "empty", "Holiday films", "loop", "Alpha.tollivarmobile", "beta.tollivarmobile"};
    const struct {
        const char* folder;
        bool hidden;
        std::vector<std::string> rows;
        const char* message;
    } cases[] = {
        // Links that loop or lead nowhere are left out; a link to a folder is one.
        {"", false, top, nullptr},
        {"loop", false, top, nullptr},
        {"loop/loop", false, top, nullptr},
        {"Holiday films", false, {kWayUp, "Été 2024.tollivarmobile", "Zebra.TOLLIVARMOBILE"}, nullptr},
        {"Holiday films",
         true,
         {kWayUp, ".hidden folder", ".secret.tollivarmobile", "Été 2024.tollivarmobile", "Zebra.TOLLIVARMOBILE"},
         nullptr},
        {"empty", false, {kWayUp}, "No folders or files to open here."},
        {"gone", false, {kWayUp}, "This folder cannot be read."},
    };
    openChooser();
    EXPECT_EQ(chooser().currentFolder(), documents) << "the documents folder comes first";
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.folder) + (c.hidden ? " with hidden files" : ""));
        const std::string folder = documents + (*c.folder ? "/" + std::string(c.folder) : "");
        chooser().openFolder(folder);
        if (c.hidden != chooser().showsHiddenFiles()) tap(chooser().hiddenFilesSwitch());
        EXPECT_EQ(chooser().currentFolder(), folder);
        EXPECT_EQ(chooser().pathField()->text(), folder);
        EXPECT_EQ(rowTitles(), c.rows);
        const ui::Label& message = *chooser().messageLabel();
        EXPECT_EQ(message.isHidden() ? "<hidden>" : message.text(), c.message ? c.message : "<hidden>");
    }
    savePicture("file_chooser_hidden_files.png");
    EXPECT_TRUE(recorder->picked.empty());
}

TEST_F(FileChooserTest, FingersOpenFoldersAndPlacesAndASecondTapPicksTheArchiveLeavingItAlone) {
    openChooser();
    savePicture("file_chooser.png");
    tap(row("Holiday films"));
    EXPECT_EQ(chooser().currentFolder(), documents + "/Holiday films");
    tap(row(kWayUp));
    EXPECT_EQ(chooser().currentFolder(), documents);
    EXPECT_EQ(selectedTitle(), "Holiday films") << "the way up marks where one came from";

    const auto places = chooser().placeButtons();
    ASSERT_EQ(places.size(), 3u);
    EXPECT_EQ(places[0]->titleForState(ui::ControlStateNormal), "Home");
    EXPECT_FALSE(places[2]->isEnabled()) << "there is no downloads folder";
    tap(places[0]);
    EXPECT_EQ(chooser().currentFolder(), home);
    EXPECT_TRUE(places[0]->isSelected());
    tap(places[1]);
    EXPECT_EQ(chooser().currentFolder(), documents);
    tap(row("loop"));
    tap(row("loop"));
    EXPECT_EQ(chooser().currentFolder(), documents + "/loop/loop");

    const auto before = fs::last_write_time(fs::path(documents) / "Alpha.tollivarmobile");
    tap(row("Alpha.tollivarmobile"));
    EXPECT_EQ(selectedTitle(), "Alpha.tollivarmobile");
    EXPECT_TRUE(chooser().openItem()->isEnabled());
    EXPECT_TRUE(recorder->picked.empty()) << "one tap only selects";
    advance(1.0);
    tap(row("Alpha.tollivarmobile"));
    advance(1.0);
    EXPECT_EQ(recorder->picked, std::vector<std::string>{urlOf("loop/loop/Alpha.tollivarmobile")});
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(fs::last_write_time(fs::path(documents) / "Alpha.tollivarmobile"), before);

    // The next picker starts where the last file was picked.
    openChooser();
    EXPECT_EQ(chooser().currentFolder(), documents + "/loop/loop");
    tap(chooser().cancelItem()->view());
    advance(1.0);
    EXPECT_EQ(recorder->cancelled, 1);
}

TEST_F(FileChooserTest, ArrowsReturnBackspaceAndTypeAheadWalkTheFolders) {
    openChooser();
    fingers.press(ui::Key::Down);
    EXPECT_EQ(selectedTitle(), kWayUp);
    fingers.type("h");
    fingers.type("o");
    EXPECT_EQ(selectedTitle(), "Holiday films");
    fingers.press(ui::Key::Return);
    EXPECT_EQ(chooser().currentFolder(), documents + "/Holiday films");
    listed();
    // Letters of other alphabets, either case.
    fingers.type("é");
    EXPECT_EQ(selectedTitle(), "Été 2024.tollivarmobile");
    fingers.press(ui::Key::Down);
    EXPECT_EQ(selectedTitle(), "Zebra.TOLLIVARMOBILE");
    fingers.press(ui::Key::Down);
    EXPECT_EQ(selectedTitle(), "Zebra.TOLLIVARMOBILE") << "the last row stays selected";
    fingers.press(ui::Key::Backspace);
    EXPECT_EQ(chooser().currentFolder(), documents);
    EXPECT_EQ(selectedTitle(), "Holiday films");

    // A pause starts a new word: "a" then, later, "b".
    fingers.type("a");
    EXPECT_EQ(selectedTitle(), "Alpha.tollivarmobile");
    fingers.wait(FileChooserViewController::kTypeAheadSeconds + 0.5);
    fingers.type("b");
    EXPECT_EQ(selectedTitle(), "beta.tollivarmobile");
    fingers.press(ui::Key::Return);
    advance(1.0);
    EXPECT_EQ(recorder->picked, std::vector<std::string>{urlOf("beta.tollivarmobile")});

    openChooser();
    fingers.press(ui::Key::Escape);
    advance(1.0);
    EXPECT_EQ(recorder->cancelled, 1);
    EXPECT_EQ(recorder->picked.size(), 1u);
}

TEST_F(FileChooserTest, ThePathFieldGoesToFoldersPicksArchivesAndSaysWhatItCannotOpen) {
    openChooser();
    typeInPathField("Holiday films");
    EXPECT_EQ(chooser().currentFolder(), documents + "/Holiday films");
    EXPECT_FALSE(chooser().pathField()->isEditing());
    EXPECT_EQ(chooser().pathField()->text(), documents + "/Holiday films");

    const struct {
        std::string typed, alert;
    } refused[] = {
        {"~/nowhere", "There is no file or folder at “" + home + "/nowhere”."},
        {"notes.txt", "“notes.txt” is not a Tollivar project archive."},
    };
    for (const auto& c : refused) {
        typeInPathField(c.typed);
        EXPECT_EQ(alertMessages(), std::vector<std::string>{c.alert});
        fingers.press(ui::Key::Return);
        EXPECT_TRUE(alertMessages().empty());
        EXPECT_TRUE(chooser().pathField()->isEditing()) << "the path can be mended";
        fingers.press(ui::Key::Escape);
        EXPECT_EQ(chooser().pathField()->text(), documents + "/Holiday films");
    }
    EXPECT_NE(root->presentedViewController(), nullptr) << "Escape in the field only leaves the field";

    typeInPathField("../Alpha.tollivarmobile");
    advance(1.0);
    EXPECT_EQ(recorder->picked, std::vector<std::string>{urlOf("Alpha.tollivarmobile")});
}

// A folder on a network share that hangs: its reading waits (having read
// some names) until the test lets the share answer. The window goes on
// meanwhile, Stop and Escape end the wait, and a late answer changes nothing.
TEST_F(FileChooserTest, AFolderThatTakesLongNeverStopsTheWindowAndStopEndsItsReading) {
    const std::string slow = documents + "/Holiday films";
    foundation::DispatchSemaphore share;
    auto stopsHeard = std::make_shared<std::atomic<int>>(0);
    openOwnChooser([slow, share, stopsHeard](const std::string& folder, const auto& accepts, bool hidden,
                                             const library::ListingWatch& watch) mutable {
        if (folder == slow) {
            watch(300);
            share.wait(20.0);  // bounded: a chooser that reads on the main thread fails instead of hanging
            if (!watch(301)) ++*stopsHeard;
        }
        return library::listFolder(folder, accepts, hidden, watch);
    });
    const std::vector<std::string> top = rowTitles();
    const auto reading = [&] {
        return chooser().readingPanel()->isHidden() ? "<not shown>" : chooser().readingLabel()->text();
    };
    const struct {
        const char* what;
        std::function<void()> leave;
    } ways[] = {
        {"Stop", [&] { tap(chooser().stopReadingButton()); }},
        {"Escape", [&] { fingers.press(ui::Key::Escape); }},
        {"a place", [&] { tap(chooser().placeButtons()[0]); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.what);
        tap(row("Holiday films"));
        EXPECT_EQ(chooser().numberOfRows(), 1u) << "only the way up while the folder is read";
        advance(FileChooserViewController::kReadingIndicatorDelay / 2);
        EXPECT_EQ(reading(), "<not shown>") << "a quick folder shows no spinner";
        advance(FileChooserViewController::kReadingIndicatorDelay);
        EXPECT_EQ(reading(), "Reading “Holiday films”…\n300 items so far");
        if (&way == &ways[0]) savePicture("file_chooser_reading.png");
        way.leave();
        EXPECT_EQ(reading(), "<not shown>");
        if (chooser().currentFolder() == slow) {
            EXPECT_EQ(chooser().messageLabel()->text(), "Reading this folder was stopped.");
            EXPECT_EQ(rowTitles(), std::vector<std::string>{kWayUp});
            tap(row(kWayUp));
        } else {
            EXPECT_EQ(chooser().currentFolder(), home);
            tap(chooser().placeButtons()[1]);
        }
        EXPECT_EQ(rowTitles(), top);
    }
    EXPECT_EQ(ownCancelled, 0) << "only the reading stopped";

    // The answers come late: each reading hears it was stopped, and what
    // they read shows nowhere.
    for (size_t i = 0; i < std::size(ways); ++i) share.signal();
    EXPECT_EQ(rowTitles(), top);
    EXPECT_EQ(*stopsHeard, static_cast<int>(std::size(ways)));

    // Cancel on the bar still closes the chooser while a folder is read.
    tap(row("Holiday films"));
    advance(1.0);
    tap(chooser().cancelItem()->view());
    EXPECT_EQ(ownCancelled, 1);
    share.signal();
    advance(1.0);
    EXPECT_EQ(*stopsHeard, static_cast<int>(std::size(ways)) + 1);
}

// A name that is no UTF-8 (from an old disk or archive) shows readably,
// sorts by what it shows, and opens and picks as it is on disk.
TEST_F(FileChooserTest, ANameThatIsNoUtf8ShowsReadablyAndStillOpens) {
    const std::string cafe = documents + "/Caf\xE9";
    testsupport::writeFileBytes(cafe + "/R\xEAve.tollivarmobile", "zip");
    openChooser();
    EXPECT_EQ(rowTitles(), (std::vector<std::string>{kWayUp, "Ångström", "Café", "empty", "Holiday films", "loop",
                                                     "Alpha.tollivarmobile", "beta.tollivarmobile"}));
    tap(row("Café"));
    EXPECT_EQ(rowTitles(), (std::vector<std::string>{kWayUp, "Rêve.tollivarmobile"}));
    EXPECT_EQ(chooser().pathField()->text(), documents + "/Café");
    savePicture("file_chooser_not_utf8.png");
    // Return on the path as shown stays in the folder.
    typeInPathField(documents + "/Café");
    EXPECT_TRUE(alertMessages().empty());
    EXPECT_EQ(chooser().currentFolder(), cafe);
    listed();
    fingers.type("rê");
    EXPECT_EQ(selectedTitle(), "Rêve.tollivarmobile");
    fingers.press(ui::Key::Return);
    advance(1.0);
    EXPECT_EQ(recorder->picked, std::vector<std::string>{urlOf("Caf\xE9/R\xEAve.tollivarmobile")});
}

TEST(FolderListing, NamesShowReadablyAndAReadingStopsWhenTold) {
    for (const auto& [name, shown] : std::vector<std::pair<const char*, const char*>>{
             {"Café", "Café"},
             {"Caf\xE9", "Café"},
             {"\x80 \x93quoted\x94 \x9F", "€ “quoted” Ÿ"},
             {"a\x81" "b", "a\uFFFD" "b"},
             {"line\nbreak\x7F", "line\uFFFD" "break\uFFFD"},
             {"\xC2\x85 next line", "\uFFFD next line"},
             {"cut \xE2\x82", "cut â‚"},
             {"\xF0\x9F\x8E\xAC film", "🎬 film"}})
        EXPECT_EQ(library::displayFileName(name), shown) << name;

    // A listing tells how far it has come from the start to the end, and
    // stops when told.
    testsupport::TempAppFolders folders;
    for (int i = 0; i < 600; ++i) testsupport::writeFileBytes(folders.root() + "/" + std::to_string(i), "");
    const auto all = [](std::string_view) { return true; };
    std::vector<size_t> told;
    const auto listing =
        library::listFolder(folders.root(), all, false, [&](size_t read) { return told.push_back(read), true; });
    EXPECT_TRUE(listing.entries.size() == 600 && !listing.error);
    EXPECT_TRUE(told.size() >= 3 && told.front() == 0 && std::is_sorted(told.begin(), told.end()) &&
                told.back() >= 600);
    const auto stopped = library::listFolder(folders.root(), all, false, [](size_t read) { return read == 0; });
    EXPECT_TRUE(stopped.entries.empty() && stopped.error && stopped.error->code == ECANCELED);
}

TEST(FolderListing, TypedPathsTheWayUpAndArchiveNames) {
    for (const auto& [typed, expected] : std::vector<std::pair<const char*, const char*>>{
             {"~", "/h"}, {"~/x/../y/", "/h/y"}, {"a/./b", "/c/d/a/b"}, {"../../..", "/"}, {"/x//y", "/x/y"}})
        EXPECT_EQ(library::resolveTypedPath(typed, "/c/d", "/h"), expected) << typed;
    EXPECT_EQ(library::parentFolder("/"), std::nullopt);
    EXPECT_EQ(library::parentFolder("/a/b/"), "/a");

    const auto type = library::DocumentType::declared(kArchiveType);
    for (const auto& [name, matches] : std::vector<std::pair<const char*, bool>>{{"a.tollivarmobile", true},
                                                                                 {"A.TollivarMobile", true},
                                                                                 {"x.tar.tollivarmobile", true},
                                                                                 {".tollivarmobile", false},
                                                                                 {"tollivarmobile", false},
                                                                                 {"a.tollivarmobile.zip", false},
                                                                                 {"a.zip", false}})
        EXPECT_EQ(type.matchesFileName(name), matches) << name;
    EXPECT_FALSE(library::DocumentType::declared("com.example.unknown").matchesFileName("a.tollivarmobile"));
}

}  // namespace
