// The movie-settings sheet and its five carousel pickers: the stored
// choice shown on opening, the keys each tile writes (saved, read back from
// disk), the notifications, the theme picker frozen until its cards are
// rendered, the foreground file, and the sheet's tabs and size.

#include "RenderScreenTestSupport.h"
#include "app/core/KWThemeItem.h"
#include "app/render/OutlineTexts.h"
#include "app/render/screens/OutlineViewController.h"
#include "app/render/screens/ThemeSettingsNames.h"
#include "app/render/screens/ThemeSettingsViewController.h"
#include "app/widgets/views/NXNavigationController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/ImageName.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/ImageView.h"
#include "support/HostInput.h"
#include "support/Pictures.h"

#include <filesystem>
#include <fstream>
#include <map>

namespace {

namespace names = themesettings;
using foundation::Value;

enum Section : size_t { kTheme = 0, kForeground = 1, kFade = 2, kEffect = 3, kMask = 4 };

class ThemeSettingsTest : public renderscreens::RenderScreenTest {
protected:
    void SetUp() override {
        RenderScreenTest::SetUp();
        project = savedProject(2);
        for (const char* name : {names::kThemeDidChangeNotification, names::kFadeInOutDidChangeNotification,
                                 names::kForegroundDidChangeNotification, names::kMovieEffectDidChangeNotification,
                                 names::kMaskDidChangeNotification, names::kThemeDoneNotification})
            tokens.push_back(foundation::NotificationCenter::defaultCenter().addObserver(
                name, nullptr, [this](const foundation::Notification& n) {
                    posted.push_back(n.name);
                    if (const auto* theme = n.userInfo.get(names::kThemeKey).objectAs<std::shared_ptr<KWThemeItem>>())
                        postedThemes.push_back((*theme)->themeID());
                }));
    }
    // The sheet over the whole window, in its navigation controller.
    void open(int32_t page = 0) {
        sheet = std::make_shared<ThemeSettingsViewController>(ThemeSettingsViewController::kNibName, project);
        sheet->setShowPageAtStart(page);
        navigation = std::make_shared<NXNavigationController>(sheet);
        showFillingRoot(navigation);
        window->layoutIfNeeded();
        advance(0.1);
        posted.clear();
    }
    KWSelectionViewController& picker(Section section) { return *sheet->pickerForSection(section); }
    // Brings a picker's row and tile into view, as a user scrolls to them,
    // and clicks the tile.
    void choose(Section section, int64_t tile) {
        sheet->tableView()->scrollToRowAtIndexPath(ui::IndexPath{section, 0}, ui::TableViewScrollPosition::Middle,
                                                   false);
        picker(section).carousel()->scrollToItemAtIndexAnimated(tile, false);
        const auto tiles = drawnTiles(section);
        ASSERT_TRUE(tiles.contains(tile)) << "tile " << tile;
        fingers.tap({tiles.at(tile).midX(), tiles.at(tile).midY()});
        advance(1.0);
    }
    // The drawn tiles framed as the chosen one.
    std::vector<int64_t> framedTiles(Section section) {
        std::vector<int64_t> framed;
        iCarousel& strip = *picker(section).carousel();
        for (int64_t index : strip.indexesForVisibleItems())
            if (strip.itemViewAtIndex(index)->layer().borderWidth() > 0) framed.push_back(index);
        return framed;
    }
    // Every file of the project folder by name, with its contents.
    std::map<std::string, std::string> projectFiles() {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(*project->getProjectPath())) {
            std::ifstream in(entry.path(), std::ios::binary);
            files[entry.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
        }
        return files;
    }
    // Where a picker's tiles are drawn in the window, by tile.
    std::map<int64_t, graphics::Rect> drawnTiles(Section section) {
        window->layoutIfNeeded();
        std::map<int64_t, graphics::Rect> tiles;
        iCarousel& strip = *picker(section).carousel();
        for (int64_t index : strip.indexesForVisibleItems())
            tiles[index] = inWindow(strip.itemViewAtIndex(index).get());
        return tiles;
    }
    // Where the strip's tiles stand across the window, as one figure.
    double tileXs(Section section) {
        double sum = 0;
        for (const auto& [index, rect] : drawnTiles(section)) sum += double(index + 1) * rect.origin.x;
        return sum;
    }
    void setMeta(const char* key, Value value) { (*project->getMetaData()).set(key, std::move(value)); }
    foundation::Dictionary stored() { return storedMetaData(project); }
    // Writes "RecordNeedsRendering" back to false on disk.
    void clearNeedsRendering() {
        setMeta(projectkeys::kNeedsRendering, false);
        ASSERT_TRUE(project->saveMetaDataToDisk());
    }

    ProjectModelPtr project;
    std::shared_ptr<ThemeSettingsViewController> sheet;
    std::shared_ptr<NXNavigationController> navigation;
    std::vector<foundation::ObserverToken> tokens;
    std::vector<std::string> posted;
    std::vector<int64_t> postedThemes;
};

TEST_F(ThemeSettingsTest, OpeningShowsTheStoredChoiceOfEveryPicker) {
    struct Case {
        const char* what;
        std::vector<std::pair<const char*, Value>> meta;
        Section section;
        int64_t tile;
    };
    const Case cases[] = {
        {"theme 4", {{outlinekeys::kTheme, Value(4)}}, kTheme, 4},
        {"theme 12 is out of range", {{outlinekeys::kTheme, Value(12)}}, kTheme, 0},
        {"fade in and out", {{names::kFadeInKey, Value(true)}, {names::kFadeOutKey, Value(true)}}, kFade, 2},
        {"fade in", {{names::kFadeInKey, Value(true)}}, kFade, 1},
        {"fade out", {{names::kFadeOutKey, Value(true)}}, kFade, 3},
        {"foreground 5", {{names::kForegroundKey, Value(5)}}, kForeground, 5},
        {"effect 3", {{projectkeys::kMovieFilter, Value(3)}}, kEffect, 3},
        {"mask 2.35", {{names::kMaskKey, Value(1)}, {names::kMaskFormatKey, Value(2.35)}}, kMask, 1},
        {"mask 1.0", {{names::kMaskKey, Value(1)}, {names::kMaskFormatKey, Value(1)}}, kMask, 2},
        {"mask of another format", {{names::kMaskKey, Value(1)}, {names::kMaskFormatKey, Value(1.85)}}, kMask, 0},
        {"mask off", {{names::kMaskKey, Value(0)}, {names::kMaskFormatKey, Value(1)}}, kMask, 0},
    };
    for (const Case& c : cases) {
        project = savedProject(1);
        for (const auto& [key, value] : c.meta) setMeta(key, value);
        open();
        EXPECT_EQ(picker(c.section).carousel()->currentItemIndex(), c.tile) << c.what;
        EXPECT_EQ(picker(c.section).lastSelection(), c.tile) << c.what;
        EXPECT_TRUE(posted.empty()) << c.what << ": showing writes nothing";
    }
}

TEST_F(ThemeSettingsTest, FadeAndMaskTilesWriteTheirPairsAndReopenOnTheSameTile) {
    struct Case {
        Section section;
        int64_t tile;
        const char* keyA;
        Value a;
        const char* keyB;
        Value b;
        const char* notification;
    };
    const Case cases[] = {
        {kFade, 1, names::kFadeInKey, Value(true), names::kFadeOutKey, Value(false),
         names::kFadeInOutDidChangeNotification},
        {kFade, 2, names::kFadeInKey, Value(true), names::kFadeOutKey, Value(true),
         names::kFadeInOutDidChangeNotification},
        {kFade, 3, names::kFadeInKey, Value(false), names::kFadeOutKey, Value(true),
         names::kFadeInOutDidChangeNotification},
        {kFade, 0, names::kFadeInKey, Value(false), names::kFadeOutKey, Value(false),
         names::kFadeInOutDidChangeNotification},
        {kMask, 1, names::kMaskKey, Value(1), names::kMaskFormatKey, Value(2.35), names::kMaskDidChangeNotification},
        {kMask, 2, names::kMaskKey, Value(1), names::kMaskFormatKey, Value(1), names::kMaskDidChangeNotification},
        {kMask, 0, names::kMaskKey, Value(0), names::kMaskFormatKey, Value(2.35), names::kMaskDidChangeNotification},
    };
    open();
    for (const Case& c : cases) {
        clearNeedsRendering();
        posted.clear();
        choose(c.section, c.tile);
        const foundation::Dictionary meta = stored();
        EXPECT_EQ(meta.get(c.keyA).asDouble(-1), c.a.asDouble()) << c.keyA << " tile " << c.tile;
        EXPECT_EQ(meta.get(c.keyB).asDouble(-1), c.b.asDouble()) << c.keyB << " tile " << c.tile;
        EXPECT_TRUE(meta.get(projectkeys::kNeedsRendering).asBool()) << c.tile;
        EXPECT_EQ(posted, std::vector<std::string>{c.notification}) << c.tile;
    }
    // The last choices open again: fade 0 and mask 0; then fade 3 stays 3.
    choose(kFade, 3);
    open();
    EXPECT_EQ(picker(kFade).carousel()->currentItemIndex(), 3);
    EXPECT_EQ(picker(kMask).carousel()->currentItemIndex(), 0);
}

TEST_F(ThemeSettingsTest, ThePickerOfAThemeStaysFrozenUntilTheCardsAreRendered) {
    open();
    auto& theme = *sheet->themeController();
    clearNeedsRendering();
    choose(kTheme, 3);
    EXPECT_EQ(stored().get(outlinekeys::kTheme).asInt(), 3);
    EXPECT_FALSE(stored().get(projectkeys::kNeedsRendering).asBool()) << "the theme leaves the movie to the cards";
    EXPECT_EQ(posted, std::vector<std::string>{names::kThemeDidChangeNotification});
    EXPECT_EQ(postedThemes, std::vector<int64_t>{3});
    EXPECT_TRUE(theme.isBusy());
    // Frozen: the strip takes no swipe meanwhile.
    const graphics::Point middle = centerOf(*theme.carousel());
    fingers.drag({middle, {middle.x - 300, middle.y}}, 0.2);
    advance(1.0);
    EXPECT_EQ(theme.carousel()->currentItemIndex(), 3);

    foundation::NotificationCenter::defaultCenter().post(names::kThemeRenderingFinishedNotification, nullptr);
    EXPECT_FALSE(theme.isBusy());
    EXPECT_TRUE(theme.carousel()->isUserInteractionEnabled());

    // No theme: announced, never frozen. Back to 3 writes again.
    posted.clear();
    choose(kTheme, 0);
    EXPECT_FALSE(theme.isBusy());
    choose(kTheme, 3);
    EXPECT_EQ(postedThemes, (std::vector<int64_t>{3, 0, 3}));
    EXPECT_EQ(stored().get(outlinekeys::kTheme).asInt(), 3);
    savePicture("movie-settings-sheet.png");
}

TEST_F(ThemeSettingsTest, AForegroundWritesItsOverlayAndNoForegroundRemovesIt) {
    open();
    choose(kForeground, 5);
    EXPECT_EQ(stored().get(names::kForegroundKey).asInt(), 5);
    EXPECT_EQ(posted, std::vector<std::string>{names::kForegroundDidChangeNotification});
    auto overlay = graphics::Image::load(*project->pathForFile(names::kForegroundFile));
    ASSERT_TRUE(overlay.ok());
    EXPECT_EQ(overlay->pixelWidth(), 1920);
    EXPECT_EQ(overlay->pixelHeight(), 1080);

    posted.clear();
    choose(kForeground, 0);
    EXPECT_EQ(stored().get(names::kForegroundKey).asInt(), 0);
    EXPECT_EQ(posted, std::vector<std::string>{names::kForegroundDidChangeNotification});
    EXPECT_FALSE(project->fileDataForFileWithPreferredFilename(names::kForegroundFile));
}

TEST_F(ThemeSettingsTest, EffectsAreWrittenEachTimeATileIsChosen) {
    open();
    for (int64_t tile : {2, 7, 2}) {
        clearNeedsRendering();
        posted.clear();
        choose(kEffect, tile);
        EXPECT_EQ(stored().get(projectkeys::kMovieFilter).asInt(), tile);
        EXPECT_TRUE(stored().get(projectkeys::kNeedsRendering).asBool());
        EXPECT_EQ(posted, std::vector<std::string>{names::kMovieEffectDidChangeNotification});
    }
    // A click on the chosen tile chooses nothing.
    posted.clear();
    choose(kEffect, 2);
    EXPECT_TRUE(posted.empty());
}

TEST_F(ThemeSettingsTest, RowsBeginWithTheirFirstTileAndShowTheChosenOneWholeAndMarked) {
    // Where the sheet's section titles begin, and the rows' first tiles with them.
    constexpr double kRowInset = 20;
    struct Case {
        const char* what;
        std::vector<std::pair<const char*, Value>> meta;
        Section section;
        int64_t tile;
        int64_t tiles;
    };
    const Case cases[] = {
        {"no theme, the first tile", {}, kTheme, 0, 10},
        {"theme 9, the last tile", {{outlinekeys::kTheme, Value(9)}}, kTheme, 9, 10},
        {"foreground 8 of 18", {{names::kForegroundKey, Value(8)}}, kForeground, 8, 18},
        {"effect 7, the last", {{projectkeys::kMovieFilter, Value(7)}}, kEffect, 7, 8},
        {"mask 1 of a short row", {{names::kMaskKey, Value(1)}, {names::kMaskFormatKey, Value(2.35)}}, kMask, 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        project = savedProject(1);
        for (const auto& [key, value] : c.meta) setMeta(key, value);
        open();
        advance(1.0);
        KWSelectionViewController& row = picker(c.section);
        const graphics::Rect strip = inWindow(row.carousel());
        const auto tiles = drawnTiles(c.section);
        ASSERT_TRUE(tiles.contains(c.tile));
        // The chosen tile whole inside the strip.
        const graphics::Rect chosen = tiles.at(c.tile);
        EXPECT_GE(chosen.minX(), strip.minX());
        EXPECT_LE(chosen.maxX(), strip.maxX());
        // No empty room at either end: a tile where the strip begins (the
        // first one, as far in as the section's title), and one where it
        // ends unless the whole row is shorter than the strip.
        auto tileAt = [&](double x) {
            for (const auto& [index, rect] : tiles)
                if (rect.minX() <= x && x <= rect.maxX()) return index;
            return int64_t(-1);
        };
        EXPECT_NE(tileAt(strip.minX() + kRowInset + 2), -1) << "room before the first tile";
        // The first tile never begins further in than the titles do.
        if (tiles.contains(0)) {
            EXPECT_LE(tiles.at(0).minX(), strip.minX() + kRowInset + 1);
        }
        if (double(c.tiles) * KWSelectionViewController::kItemWidth > strip.width()) {
            EXPECT_NE(tileAt(strip.maxX() - kRowInset - 2), -1) << "room after the last tile";
        }
        // The chosen tile, and only it, is framed in the accent colour.
        const graphics::Image shown = window->renderImage();
        auto framed = [&](const graphics::Rect& rect) {
            return testsupport::pixelNear(shown.pixelAt(int(rect.minX() + 1), int(rect.midY())),
                                          graphics::RGBA{212, 3, 215, 255}, 12);
        };
        for (const auto& [index, rect] : tiles) {
            if (rect.minX() >= strip.minX() && rect.maxX() <= strip.maxX()) {
                EXPECT_EQ(framed(rect), index == c.tile) << "tile " << index;
            }
        }
    }
}

TEST_F(ThemeSettingsTest, AClickOnATileChoosesItWhereItIsDrawn) {
    open();
    KWSelectionViewController& row = picker(kEffect);
    const auto before = drawnTiles(kEffect);
    ASSERT_TRUE(before.contains(2));
    fingers.tap({before.at(2).midX(), before.at(2).midY()});
    advance(1.0);
    EXPECT_EQ(row.lastSelection(), 2);
    EXPECT_EQ(stored().get(projectkeys::kMovieFilter).asInt(), 2);
    EXPECT_EQ(posted, std::vector<std::string>{names::kMovieEffectDidChangeNotification});
    // The strip stays where it was: the chosen tile is where the click was.
    const auto after = drawnTiles(kEffect);
    ASSERT_TRUE(after.contains(2));
    EXPECT_EQ(after.at(2), before.at(2));
}

TEST_F(ThemeSettingsTest, TheWheelOverEveryRowOnlyScrollsItAndAClickStillChooses) {
    setMeta(names::kForegroundKey, Value(3));
    ASSERT_TRUE(project->saveMetaDataToDisk());
    open();
    const auto filesBefore = projectFiles();
    testsupport::HostInput wheel(window);
    const Section rows[] = {kTheme, kForeground, kFade, kEffect, kMask};
    for (const bool halfHeight : {false, true}) {
        if (halfHeight) {
            sheet->actionChangeSize();
            advance(0.5);
        }
        for (const Section section : rows) {
            SCOPED_TRACE(testing::Message() << "section " << section << (halfHeight ? " at half height" : ""));
            sheet->tableView()->scrollToRowAtIndexPath(ui::IndexPath{section, 0}, ui::TableViewScrollPosition::Middle,
                                                       false);
            KWSelectionViewController& row = picker(section);
            const int32_t chosen = row.lastSelection();
            // The fade's and the mask's tiles fit in the window: their
            // strips have nothing to scroll and leave the wheel to the sheet.
            const bool fits = section == kFade || section == kMask;
            // Four notches towards the user, then back two, each turn left
            // to come to rest.
            for (const int notches : {-4, 2}) {
                const double before = tileXs(section);
                const bool taken = wheel.turn(centerOf(*row.carousel()), notches);
                EXPECT_TRUE(taken || fits);
                advance(1.0);
                EXPECT_EQ(tileXs(section) == before, fits) << "turn of " << notches;
            }
            EXPECT_EQ(row.lastSelection(), chosen);
            row.carousel()->scrollToItemAtIndexAnimated(chosen, false);
            EXPECT_EQ(framedTiles(section), std::vector<int64_t>{chosen}) << "the frame left the chosen tile";
        }
    }
    EXPECT_TRUE(posted.empty());
    EXPECT_TRUE(projectFiles() == filesBefore) << "the wheel changed the project's files";

    // A click on a tile the wheel brought into view chooses it.
    struct Click {
        Section section;
        int64_t tile;
        const char* notification;
    };
    for (const Click& click : {Click{kTheme, 2, names::kThemeDidChangeNotification},
                               Click{kForeground, 5, names::kForegroundDidChangeNotification},
                               Click{kFade, 1, names::kFadeInOutDidChangeNotification},
                               Click{kEffect, 6, names::kMovieEffectDidChangeNotification},
                               Click{kMask, 2, names::kMaskDidChangeNotification}}) {
        posted.clear();
        sheet->tableView()->scrollToRowAtIndexPath(ui::IndexPath{click.section, 0}, ui::TableViewScrollPosition::Middle,
                                                   false);
        wheel.turn(centerOf(*picker(click.section).carousel()), -int(click.tile));
        advance(1.0);
        const auto tiles = drawnTiles(click.section);
        ASSERT_TRUE(tiles.contains(click.tile)) << click.tile;
        fingers.tap({tiles.at(click.tile).midX(), tiles.at(click.tile).midY()});
        advance(1.0);
        EXPECT_EQ(picker(click.section).lastSelection(), click.tile);
        EXPECT_EQ(framedTiles(click.section), std::vector<int64_t>{click.tile});
        EXPECT_EQ(posted, std::vector<std::string>{click.notification});
    }
}

TEST_F(ThemeSettingsTest, EveryNotchOfASlowTurnMovesTheStrip) {
    open();
    testsupport::HostInput wheel(window);
    sheet->tableView()->scrollToRowAtIndexPath(ui::IndexPath{kForeground, 0}, ui::TableViewScrollPosition::Middle,
                                               false);
    const graphics::Point over = centerOf(*picker(kForeground).carousel());
    // Where the fifth foreground is drawn: a notch towards the user moves it left,
    // one away moves it back, each notch left to come to rest.
    std::vector<double> xs{drawnTiles(kForeground).at(4).origin.x};
    for (const int notch : {-1, -1, -1, 1, 1, 1}) {
        ASSERT_TRUE(wheel.turn(over, notch));
        advance(1.0);
        xs.push_back(drawnTiles(kForeground).at(4).origin.x);
    }
    for (size_t i = 1; i < xs.size(); ++i)
        EXPECT_TRUE(i <= 3 ? xs[i] < xs[i - 1] : xs[i] > xs[i - 1])
            << "notch " << i << ": " << xs[i - 1] << " to " << xs[i];
    EXPECT_EQ(xs.back(), xs.front());
    EXPECT_TRUE(posted.empty());
}

TEST_F(ThemeSettingsTest, ASettingThatCannotBeSavedSaysSo) {
    open();
    // The project's folder gives way to a file: nothing can be written into it.
    const std::string folder = *project->getProjectPath();
    std::filesystem::remove_all(folder);
    { std::ofstream(folder) << "not a folder"; }
    choose(kEffect, 4);
    ASSERT_EQ(alertMessages().size(), 1u);
    EXPECT_EQ(alertMessages()[0], "The setting could not be saved: its folder is no longer there.");
    std::filesystem::remove(folder);
}

TEST_F(ThemeSettingsTest, SheetTabsSizeAndDone) {
    open();
    EXPECT_EQ(sheet->tableView()->numberOfSections(), 5u);
    EXPECT_EQ(sheet->tableView()->rectForRowAtIndexPath(ui::IndexPath{2, 0}).height(), 90);
    for (size_t section = 0; section < 5; ++section)
        EXPECT_EQ(picker(Section(section)).view()->superview()->superview(),
                  sheet->tableView()->cellForRowAtIndexPath(ui::IndexPath{section, 0}).get());

    // Toggling twice returns the navigation view and the button picture.
    const graphics::Rect first = navigation->view()->frame();
    auto firstButton = sheet->navigationItem().leftBarButtonItem();
    sheet->actionChangeSize();
    advance(0.3);
    EXPECT_EQ(navigation->view()->frame(), graphics::Rect(0, 476, first.width(), first.height() - 476));
    EXPECT_NE(sheet->navigationItem().leftBarButtonItem()->image().pngData()->size(),
              firstButton->image().pngData()->size());
    sheet->actionChangeSize();
    advance(0.3);
    EXPECT_EQ(navigation->view()->frame(), graphics::Rect(0, 0, first.width(), 768));
    EXPECT_EQ(sheet->navigationItem().leftBarButtonItem()->image().pngData()->size(),
              firstButton->image().pngData()->size());

    sheet->actionDone();
    EXPECT_EQ(posted, std::vector<std::string>{names::kThemeDoneNotification});

    // The outline tab, and page 1 at the start.
    sheet->actionUpload();
    EXPECT_TRUE(dynamic_cast<OutlineViewController*>(navigation->topViewController()));
    open(1);
    EXPECT_TRUE(dynamic_cast<OutlineViewController*>(navigation->topViewController()));
    navigation->popViewController(false);
    EXPECT_EQ(navigation->topViewController(), sheet.get());
}

// The rows of white pixels (a caption's glyphs, the tile's own border) in
// the lower half of a tile as drawn, by row; the sides are left out, where
// the borders run down.
std::vector<bool> whiteRowsInLowerHalf(const graphics::Image& shown, const graphics::Rect& tile) {
    std::vector<bool> rows;
    for (int y = int(tile.midY()); y < int(tile.maxY()); ++y) {
        bool white = false;
        for (int x = int(tile.minX()) + 5; x < int(tile.maxX()) - 5 && !white; ++x)
            white = testsupport::pixelNear(shown.pixelAt(x, y), graphics::RGBA{255, 255, 255, 255}, 50);
        rows.push_back(white);
    }
    return rows;
}

TEST_F(ThemeSettingsTest, TileCaptionsShowWholeInsideTheirTiles) {
    open();
    const graphics::Image shown = window->renderImage();
    for (Section section : {kForeground, kFade, kEffect, kMask}) {
        const graphics::Rect strip = inWindow(picker(section).carousel());
        for (const auto& [index, tile] : drawnTiles(section)) {
            // The chosen tile's frame covers its edges.
            if (tile.minX() < strip.minX() || tile.maxX() > strip.maxX() || index == picker(section).lastSelection())
                continue;
            SCOPED_TRACE(testing::Message() << "section " << section << " tile " << index);
            // Bottom up: the tile's border, a margin of the caption bar, then
            // the glyphs. Letters cut off at the tile's edge run into its
            // last row.
            const std::vector<bool> rows = whiteRowsInLowerHalf(shown, tile);
            size_t y = rows.size();
            while (y > 0 && rows[y - 1] && rows.size() - y < 2) --y;  // the border
            size_t margin = 0;
            while (y > 0 && !rows[y - 1]) --y, ++margin;
            size_t glyphs = 0;
            while (y > 0 && rows[y - 1]) --y, ++glyphs;
            EXPECT_GE(margin, 1u) << "the caption runs into the tile's bottom edge";
            EXPECT_LE(margin, 6u) << "no caption along the tile's bottom";
            EXPECT_GE(glyphs, 5u) << "the caption's letters are cut";
        }
    }
}

TEST_F(ThemeSettingsTest, ExpandingWithTheChevronDrawsEveryRowFromTheTop) {
    // As the frame editor lays the sheet over its bottom.
    sheet = std::make_shared<ThemeSettingsViewController>(ThemeSettingsViewController::kNibName, project);
    navigation = std::make_shared<NXNavigationController>(sheet);
    auto host = std::make_shared<ui::ViewController>();
    window->setRootViewController(host);
    host->addChildViewController(navigation);
    navigation->view()->setFrame(graphics::Rect(0, 768, 1024, 170));
    host->view()->addSubview(navigation->viewPtr());
    navigation->didMoveToParentViewController(host.get());
    window->layoutIfNeeded();
    navigation->view()->setFrame(graphics::Rect(0, 476, 1024, 292));
    advance(0.5);

    // The chevron says what it does: open the collapsed sheet, close the open one.
    auto chevron = [&](ui::ViewController& screen) {
        return graphics::imageName(screen.navigationItem().leftBarButtonItem()->image());
    };
    EXPECT_EQ(chevron(*sheet), "theme_view_btn_open.png");
    // Scrolled down to the last rows first.
    ui::TableView& table = *sheet->tableView();
    fingers.drag({{512, 740}, {512, 540}}, 0.3);
    advance(2.0);
    ASSERT_GT(table.contentOffset().y, 300);
    ASSERT_NE(sheet->navigationItem().leftBarButtonItem()->view(), nullptr);
    tap(sheet->navigationItem().leftBarButtonItem()->view());
    advance(0.5);
    ASSERT_EQ(navigation->view()->frame(), graphics::Rect(0, 0, 1024, 768));
    EXPECT_EQ(chevron(*sheet), "theme_view_btn_close.png");
    window->layoutIfNeeded();
    EXPECT_EQ(table.contentOffset().y, table.minimumContentOffset().y) << "the first title under the bar";
    const graphics::Image shown = window->renderImage();
    savePicture("movie-settings-expanded.png");
    for (size_t section = 0; section < 5; ++section) {
        SCOPED_TRACE(testing::Message() << "section " << section);
        const graphics::Rect header = table.convertRectToView(table.rectForHeaderInSection(section), nullptr);
        EXPECT_EQ(header.minY(), inWindow(&table).minY() + 130 * double(section));
        // Each row's tiles are in the window and drawn: no white row.
        const auto tiles = drawnTiles(Section(section));
        ASSERT_FALSE(tiles.empty());
        for (const auto& [index, tile] : tiles) {
            if (tile.maxX() > 1024) continue;
            EXPECT_FALSE(testsupport::pixelNear(shown.pixelAt(int(tile.midX()), int(tile.midY())),
                                                graphics::RGBA{255, 255, 255, 255}, 4))
                << "tile " << index << " at " << tile.toString() << " is not drawn";
        }
    }
    // Collapsed from the outline editor, the sheet shows the chevron that opens it.
    sheet->actionUpload();
    EXPECT_EQ(chevron(*navigation->topViewController()), "theme_view_btn_close.png");
    static_cast<OutlineViewController*>(navigation->topViewController())->actionChangeSize();
    advance(0.5);
    navigation->popViewController(false);
    EXPECT_EQ(chevron(*sheet), "theme_view_btn_open.png");
}

TEST(MaskTiles, FormatsCompareExactly) {
    const std::tuple<bool, Value, int32_t> cases[] = {
        {true, Value(2.35), 1}, {true, Value(1), 2},      {true, Value(1.0), 2},   {true, Value(2.3500001), 0},
        {true, Value(), 0},     {true, Value("2.35"), 0}, {false, Value(2.35), 0},
    };
    for (const auto& [mask, format, tile] : cases) EXPECT_EQ(KWMaskSelectionView::tileForMask(mask, format), tile);
}

}  // namespace
