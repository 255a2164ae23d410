// TRichLogView: the screen side of the transaction log in the window, over the rich-text view
// LogMemo. Each line is one text block in its own character format (bold or regular, point
// size, colour); after each line the caret goes to the end and the view scrolls to it.
//
// The view keeps every line. It is a plain-text edit with per-block character formats: its
// layout works block by block, so appending stays cheap however long the log grows, where a
// full rich-text document would lay out the whole document again. Undo is off (a log is never
// edited, and the undo stack would hold a copy of every line).
//
// The lines keep the sizes they were written with (7 points plain, 8 for failures) as their
// specified size; SetPlainSize scales every size, of the lines shown and of those to come, so
// that plain lines have the given size (7: the sizes as written).
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

    // Plain lines in this many points, every other size in proportion.
    void SetPlainSize(int points);
    int PlainSize() const { return FPlainSize; }

    static QColor Colour(TLogColour colour);

private:
    double Scaled(double specifiedSize) const;

    QPlainTextEdit& FMemo;
    int FPlainSize = kDefaultLogStyle.Size;
    bool FHasLines = false; // the document's first block holds a line
};

} // namespace Sondrel
