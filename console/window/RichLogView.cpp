#include "RichLogView.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace Sondrel {

TRichLogView::TRichLogView(QPlainTextEdit& memo) : FMemo(memo) {
    FMemo.setUndoRedoEnabled(false);
    FMemo.setReadOnly(true);
    FMemo.setLineWrapMode(QPlainTextEdit::NoWrap);
    FMemo.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

QColor TRichLogView::Colour(TLogColour colour) {
    switch (colour) {
    case lcRed:
        return QColor(0xFF, 0x00, 0x00);
    case lcBlue:
        return QColor(0x00, 0x00, 0xFF);
    case lcGreen:
        return QColor(0x00, 0x80, 0x00);
    default:
        return QColor(0x00, 0x00, 0x00);
    }
}

void TRichLogView::AppendLine(const std::string& line, const TLogStyle& style) {
    QTextCharFormat format;
    format.setFontWeight(style.Bold ? QFont::Bold : QFont::Normal);
    format.setFontPointSize(style.Size > 0 ? style.Size : 7);
    format.setForeground(Colour(style.Colour));

    QTextDocument* document = FMemo.document();
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    // The empty document already holds one empty block: the first line goes into it.
    if (!FHasLines) {
        cursor.setBlockCharFormat(format);
        FHasLines = true;
    } else {
        cursor.insertBlock(QTextBlockFormat(), format);
    }
    cursor.insertText(QString::fromStdString(line), format);

    // Caret to the end, and the view scrolled to it.
    FMemo.setTextCursor(cursor);
    FMemo.ensureCursorVisible();
}

void TRichLogView::Clear() {
    FMemo.clear();
    FHasLines = false;
}

} // namespace Sondrel
