// TRichLogView: the screen side of the transaction log in the window, over the rich-text view
// LogMemo. Each line is one text block in its own character format (bold or regular, point
// size, colour); after each line the caret goes to the end and the view scrolls to it.
//
// The view keeps every line. It is a plain-text edit with per-block character formats: its
// layout works block by block, so appending stays cheap however long the log grows, where a
// full rich-text document would lay out the whole document again. Undo is off (a log is never
// edited, and the undo stack would hold a copy of every line).
//
// Main (GUI) thread only. Borrows the edit, which must outlive the view.
#pragma once

#include "LogView.h"

#include <QColor>

class QPlainTextEdit;

namespace Sondrel {

class TRichLogView : public ILogView {
public:
    explicit TRichLogView(QPlainTextEdit& memo);

    void AppendLine(const std::string& line, const TLogStyle& style) override;
    void Clear() override;

    static QColor Colour(TLogColour colour);

private:
    QPlainTextEdit& FMemo;
    bool FHasLines = false; // the document's first block holds a line
};

} // namespace Sondrel
