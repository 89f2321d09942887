#include "platform/ui/TextEditing.h"

#include <QString>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace ui {

namespace {

// Qt counts in UTF-16 units; our offsets count UTF-8 bytes.
qsizetype utf16Offset(const std::string& text, size_t offset) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(std::min(offset, text.size()))).size();
}

size_t utf8Offset(const QString& text, qsizetype offset) {
    return static_cast<size_t>(text.left(offset).toUtf8().size());
}

}  // namespace

size_t previousCharacterBoundary(const std::string& text, size_t offset) {
    offset = std::min(offset, text.size());
    if (offset == 0) return 0;
    QString q = QString::fromStdString(text);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, q);
    finder.setPosition(utf16Offset(text, offset));
    qsizetype previous = finder.toPreviousBoundary();
    return previous < 0 ? 0 : utf8Offset(q, previous);
}

size_t nextCharacterBoundary(const std::string& text, size_t offset) {
    offset = std::min(offset, text.size());
    if (offset == text.size()) return offset;
    QString q = QString::fromStdString(text);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, q);
    finder.setPosition(utf16Offset(text, offset));
    qsizetype next = finder.toNextBoundary();
    return next < 0 ? text.size() : utf8Offset(q, next);
}

std::string withoutLineBreaks(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c != '\n' && c != '\r') result.push_back(c);
    }
    return result;
}

}  // namespace ui
