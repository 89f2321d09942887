#include "PanelTestSupport.h"

#include "support/Process.h"

namespace editortest {

void PanelTest::SetUp() {
    EditorTest::SetUp();
    root = std::make_shared<ui::ViewController>();
    root->view()->setBackgroundColor(graphics::Color::grey(0.2));
    window->setRootViewController(root);
    window->layoutIfNeeded();
}

void PanelTest::TearDown() {
    if (popover) popover->dismissPopoverAnimated(false);
    popover.reset();
    root.reset();
    EditorTest::TearDown();
}

KWPopoverController& PanelTest::present(std::shared_ptr<ui::ViewController> content, graphics::Rect anchor) {
    if (popover) popover->dismissPopoverAnimated(false);
    popover = std::make_shared<KWPopoverController>(std::move(content));
    popover->presentPopoverFromRect(anchor, rootView(), kPopoverArrowDirectionAny, false);
    window->layoutIfNeeded();
    settle();
    return *popover;
}

PostedNames::PostedNames(const std::vector<std::string>& names) {
    for (const std::string& name : names)
        tokens_.push_back(foundation::NotificationCenter::defaultCenter().addObserver(
            name, nullptr, [this](const foundation::Notification& notification) { posted.push_back(notification); }));
}

std::string savedMetaValue(ProjectModel& project, const std::string& key) {
    const auto path = project.pathForFile("kelbrin.meta");
    if (!path) return "<no folder>";
    const auto result = testsupport::runPython(
        "import plistlib, sys\n"
        "with open(sys.argv[1], 'rb') as f:\n"
        "    meta = plistlib.load(f)\n"
        "print(repr(meta[sys.argv[2]]) if sys.argv[2] in meta else '<missing>', end='')\n",
        {*path, key});
    if (result.exitCode != 0) return "<plistlib: " + result.output + ">";
    return result.output;
}

}  // namespace editortest
