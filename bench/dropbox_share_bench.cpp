// A prepared 200 MB movie shared to Dropbox as a user shares it from the
// card: the Dropbox screen on the share sheet, a tap on "HD - 720p" whose
// movie is already rendered, the Outbox copy, the serial upload queue, the
// client's files_put and the progress panel until it says the movie was
// uploaded; against `curl -T <file> -X POST` of the same file to the same
// loopback HTTPS receiver. The run loop runs on the real clock; each time is
// the median of eleven runs, ours and curl's taken in turn; curl's start-up
// (an empty upload, timed in turn too) comes off its times.
//
// The share makes the Outbox copy while it uploads, so its wall time is held
// against curl's upload alone, and its CPU time against curl's upload and
// `cp` of the movie (its start-up taken off the same way), the same work.

#include "BenchSupport.h"
#include "LinkedProject.h"
#include "LoopbackDropbox.h"
#include "PaddedMovie.h"
#include "app/core/ProjectModel.h"
#include "app/render/MovieRendererSources.h"
#include "app/render/screens/RenderProgressViewController.h"
#include "app/share/DropboxConnectHandler.h"
#include "app/share/Outbox.h"
#include "app/share/ShareViewController.h"
#include "components/dropbox/DBSession.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/library/ActivityViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Label.h"
#include "support/RunFolder.h"

#include <QImage>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Both sides swing with the machine by a tenth and more from run to run:
// eleven runs keep the median from following one slow burst.
constexpr int kRuns = 11;
constexpr uint64_t kMovieBytes = 200'000'000;
constexpr double kTarget = 1.15;
constexpr double kWaitSeconds = 600;
constexpr const char* kTypeTitle = "HD - 720p";
// The project's name, as the title the upload is named after.
constexpr const char* kName = "My Movie";
constexpr const char* kUploadName = "My_Movie.mov";

void fail(const std::string& why) {
    std::fprintf(stderr, "dropbox_share_bench: %s\n", why.c_str());
    std::exit(1);
}

// A saved 12-frame project named kName.
ProjectModelPtr makeProject() {
    QImage bitmap(320, 180, QImage::Format_RGB32);
    bitmap.fill(qRgb(40, 120, 200));
    auto project = ProjectModel::create(bench::makeLinkedProject(graphics::Image(std::move(bitmap)), 12, 0));
    project->setName(kName);
    if (!project->saveAllDataToDisk().ok()) fail("cannot save the project");
    return project;
}

bool outboxIsEmpty() {
    const fs::path outbox = fs::path(foundation::Paths::cachesDirectory()) / Outbox::kFolderName;
    std::error_code ignored;
    return !fs::exists(outbox, ignored) || fs::is_empty(outbox, ignored);
}

// One share: the sheet over the window's root screen with the Dropbox
// service chosen, its screen showing the linked account.
class Share {
public:
    Share(ui::ViewController& root, const ProjectModelPtr& project) {
        sheet_ = std::make_shared<library::ActivityViewController>(
            library::ActivityItems{std::any(project)},
            std::vector<std::shared_ptr<library::Activity>>{std::make_shared<DropboxConnectHandler>()});
        sheet_->completionHandler = [this](const std::optional<std::string>&, bool done) { completed_ = done; };
        root.presentViewController(sheet_, false);
        sheet_->chooseActivityAtIndex(0);
        auto& loop = foundation::RunLoop::main();
        if (!loop.runUntil([&] { return screen() && screen()->accountLabel()->text() == "Dropbox – Test User"; },
                           kWaitSeconds))
            fail("the Dropbox screen did not show the account");
    }

    ShareViewController* screen() const {
        auto* navigation = dynamic_cast<ui::NavigationController*>(sheet_->presentedViewController());
        return navigation ? dynamic_cast<ShareViewController*>(navigation->viewControllers().front().get()) : nullptr;
    }
    size_t typeIndex() const {
        const auto& types = screen()->exportTypes();
        for (size_t i = 0; i < types.size(); ++i)
            if (types[i].title() == kTypeTitle) return i;
        fail(std::string("no export type \"") + kTypeTitle + "\"");
        return 0;
    }

    // The tap on the type, until the panel reports the end of the upload.
    bool upload() {
        ShareViewController* shown = screen();
        shown->chooseExportType(typeIndex());
        // A prepared movie goes straight to the upload; whatever the panel says next ends it.
        const std::string uploading = shown->handler()->uploadingText();
        const std::string success = shown->handler()->successText();
        foundation::RunLoop::main().runUntil([&] { return shown->panel()->infoText() != uploading; }, kWaitSeconds);
        if (shown->panel()->infoText() != success)
            std::fprintf(stderr, "the panel says: %s\n", shown->panel()->infoText().c_str());
        return shown->panel()->infoText() == success && shown->panel()->progress() == 1.0f;
    }

    // Done on the panel: the service ends as completed and the sheet closes.
    void finish() {
        screen()->panel()->actionDone();
        if (!foundation::RunLoop::main().runUntil([&] { return completed_.has_value(); }, kWaitSeconds) || !*completed_)
            fail("the share did not end as completed");
    }

private:
    std::shared_ptr<library::ActivityViewController> sheet_;
    std::optional<bool> completed_;
};

}  // namespace

int main() {
    static const testsupport::RunFolder scratch("tollivar-dropbox-share-bench");
    const fs::path root = scratch.path();
    foundation::Paths::setRootOverride(root.string());
    // The receiver is forked before this process starts any thread.
    auto certificates = testsupport::TestCertificates::create(root.string());
    bench::LoopbackReceiver receiver(certificates, [](testsupport::FakeVideoService& service) {
        service.on("GET", "/1/account/info", [](const auto&) {
            return testsupport::HttpReply{200, R"({"uid": 1234, "display_name": "Test User", "country": "NZ"})",
                                          "application/json"};
        });
        bench::answerFilesPut(service, kUploadName, kMovieBytes);
        bench::answerFilesPut(service, "empty.mov", 0);
    });

    graphics::ensureGuiApplication();
    std::ofstream(foundation::Paths::configDirectory() + "/services.plist")
        << "<plist version=\"1.0\"><dict><key>Dropbox</key><dict><key>AppKey</key><string>k3y</string>"
           "<key>AppSecret</key><string>s3cr3t</string></dict></dict></plist>";
    bench::useLoopbackDropbox(receiver, certificates);
    DropboxConnectHandler::session()->setAccessToken("t0ken", "s3cret", "1234");

    // The movie the share reuses: "HD - 720p" already rendered for the project.
    const ProjectModelPtr project = makeProject();
    MovieRendererSources sources(project);
    const MovieRendererPtr renderer = sources.getRendererForUTI(kUTTypeQuickTimeMovie);
    if (!renderer) fail("no movie renderer");
    std::optional<MovieExportType> type;
    for (const MovieExportType& candidate : sources.getMovieExportTypesForUTIItems({kUTTypeQuickTimeMovie}))
        if (candidate.title() == kTypeTitle) type = candidate;
    if (!type) fail(std::string("no export type \"") + kTypeTitle + "\"");
    const std::string movie = renderer->getExportURLForExportType(*type);
    if (!bench::makeFullMovie(root, movie, kMovieBytes, "1280x720")) fail("could not make the movie");
    if (renderer->getPreparedMovieForExportType(*type) != movie) fail("the movie is not taken as prepared");

    auto window = std::make_shared<ui::Window>(graphics::Rect(0, 0, 1024, 768));
    auto rootScreen = std::make_shared<ui::ViewController>();
    window->setRootViewController(rootScreen);
    window->makeKeyAndVisible();

    const std::string target = receiver.url(std::string("/1/files_put/sandbox/") + kUploadName);
    std::unique_ptr<Share> share;
    // curl's start-up, handshake and one request, timed with an empty file
    // and taken off its runs: ours runs in a process already up, over a
    // connection kept alive.
    const std::string nothing = (root / "empty.mov").string();
    std::ofstream{nothing};
    const std::string copied = (root / "copied.mov").string();
    auto copy = [&](const std::string& from) {
        return bench::program([&, from] { return std::vector<std::string>{"cp", from, copied}; },
                              [&] { fs::remove(copied); });
    };
    const auto comparisons = bench::compareAll(
        kRuns,
        bench::timed([&] { return share->upload(); },
                     [&] {
                         if (share) {
                             share->finish();
                             // The copy goes away from the screen's thread, after the answer.
                             if (!foundation::RunLoop::main().runUntil(outboxIsEmpty, kWaitSeconds))
                                 fail("the Outbox copy stayed after its upload");
                         }
                         share = std::make_unique<Share>(*rootScreen, project);
                     }),
        {bench::program([&] { return bench::curlPostFileArguments(certificates.authorityFile, movie, target); }),
         bench::program([&] {
             return bench::curlPostFileArguments(certificates.authorityFile, nothing,
                                                 receiver.url("/1/files_put/sandbox/empty.mov"));
         }),
         copy(movie), copy(nothing)});
    bench::Comparison times{comparisons[0].ours,
                            bench::lessMedianOf(comparisons[0].reference, comparisons[1].reference)};
    const std::vector<bench::Times> copies = bench::lessMedianOf(comparisons[2].reference, comparisons[3].reference);
    for (size_t run = 0; run < times.reference.size(); ++run) times.reference[run].cpu += copies[run].cpu;
    std::printf("cp of the movie, less cp of an empty file: wall %.2f ms, cpu %.2f ms (median)\n",
                bench::medianOf(copies) * 1000, bench::medianOf(copies, &bench::Times::cpu) * 1000);
    std::printf("curl of an empty file, taken off curl's times: wall %.2f ms, cpu %.2f ms (median)\n",
                bench::medianOf(comparisons[1].reference) * 1000,
                bench::medianOf(comparisons[1].reference, &bench::Times::cpu) * 1000);
    share->finish();
    share.reset();

    const bool met = bench::report("dropbox share vs curl", times, bench::Target::atMost(kTarget), std::nullopt,
                                   "dropbox share vs curl and cp-cpu");
    window.reset();
    foundation::RunLoop::main().runUntilIdle();
    return met ? 0 : 1;
}
