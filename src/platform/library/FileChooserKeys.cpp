// The in-app file chooser's keyboard: the selection moved by Up and Down,
// Return, Backspace and Escape (which stops a folder still being read
// first), and type-ahead.

#include "platform/foundation/RunLoop.h"
#include "platform/library/FileChooserViewController.h"

namespace library {

bool FileChooserViewController::keyCommand(const ui::KeyPress& press) {
    if (!press.text.empty()) {
        typeAhead(press.text);
        return true;
    }
    switch (press.key) {
        case ui::Key::Up:
            moveSelection(-1);
            return true;
        case ui::Key::Down:
            moveSelection(1);
            return true;
        case ui::Key::Return:
            if (!selected_) return false;
            activateRow(*selected_);
            return true;
        case ui::Key::Backspace:
            if (auto parent = parentFolder(listing_.folder)) openFolder(*parent);
            return true;
        case ui::Key::Escape:
            // A folder that takes long is stopped first; the chooser goes
            // with the next Escape.
            if (isReading()) {
                stopReading();
            } else {
                cancel();
            }
            return true;
        default:
            return false;
    }
}

void FileChooserViewController::moveSelection(int step) {
    const size_t rows = numberOfRows();
    if (rows == 0) return;
    size_t next;
    if (!selected_) {
        next = step > 0 ? 0 : rows - 1;
    } else if (step < 0) {
        next = *selected_ == 0 ? 0 : *selected_ - 1;
    } else {
        next = std::min(*selected_ + 1, rows - 1);
    }
    selectRow(next);
}

void FileChooserViewController::typeAhead(const std::string& text) {
    const double now = foundation::RunLoop::main().now();
    // A pause starts a new word, as in the desktop's file managers.
    if (now - lastTypedAt_ > kTypeAheadSeconds) typed_.clear();
    lastTypedAt_ = now;
    typed_ += text;
    if (auto match = typeAheadMatch(listing_.entries, typed_)) selectRow(*match + (hasWayUp() ? 1 : 0));
}

}  // namespace library
