#pragma once

// A window whose root screen is a plain dark screen, for showing the
// editor's panels in a popover the way the editor shows them, at the
// tablet's or the phone's size.

#include "EditorTestSupport.h"
#include "app/widgets/popover/KWPopoverController.h"
#include "platform/foundation/NotificationCenter.h"

#include <memory>
#include <string>
#include <vector>

namespace editortest {

class PanelTest : public EditorTest {
protected:
    explicit PanelTest(bool phone = false) : EditorTest(phone) {}
    void SetUp() override;
    void TearDown() override;

    // Shows `content` in a popover pointing at `anchor` of the root view.
    KWPopoverController& present(std::shared_ptr<ui::ViewController> content, graphics::Rect anchor);
    ui::View& rootView() { return *root->view(); }

    std::shared_ptr<ui::ViewController> root;
    std::shared_ptr<KWPopoverController> popover;
};

// Collects the notifications of the given names, in order.
class PostedNames {
public:
    explicit PostedNames(const std::vector<std::string>& names);
    std::vector<foundation::Notification> posted;

private:
    std::vector<foundation::ObserverToken> tokens_;
};

// A metadata key of the project's saved "kelbrin.meta" as python3 plistlib
// reads it: repr() of the value, "<missing>" without the key.
std::string savedMetaValue(ProjectModel& project, const std::string& key);

}  // namespace editortest
