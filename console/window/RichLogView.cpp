#include "RichLogView.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace Sondrel {

namespace {

// The size a line was written with, before any scaling.
constexpr int kSpecifiedSize = QTextFormat::UserProperty + 1;

double SpecifiedSize(const QTextCharFormat& format) {
    const double size = format.doubleProperty(kSpecifiedSize);
    return size > 0 ? size : kDefaultLogStyle.Size;
}

} // namespace

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
    const double size = style.Size > 0 ? style.Size : kDefaultLogStyle.Size;
    format.setProperty(kSpecifiedSize, size);
    format.setFontPointSize(Scaled(size));
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

double TRichLogView::Scaled(double specifiedSize) const {
    return specifiedSize * FPlainSize / kDefaultLogStyle.Size;
}

void TRichLogView::SetPlainSize(int points) {
    if (points <= 0 || points == FPlainSize) {
        return;
    }
    FPlainSize = points;
    QFont font = FMemo.font();
    font.setPointSizeF(Scaled(kDefaultLogStyle.Size));
    FMemo.setFont(font);
    // Each line is one block in one format: the block is given its size again.
    QTextDocument* document = FMemo.document();
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QTextCharFormat written =
            block.begin().atEnd() ? block.charFormat() : block.begin().fragment().charFormat();
        QTextCharFormat size;
        size.setFontPointSize(Scaled(SpecifiedSize(written)));
        cursor.setPosition(block.position());
        cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(size);
        cursor.mergeBlockCharFormat(size);
    }
    cursor.endEditBlock();
    FMemo.ensureCursorVisible();
}

void TRichLogView::Clear() {
    FMemo.clear();
    FHasLines = false;
}

} // namespace Sondrel
