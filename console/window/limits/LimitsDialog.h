// TLimitsDialog: "Limits" of one instrument: a table of the 23 series (rows, by their record
// table captions) and their alert high, action high, alert low and action low limits (columns;
// an empty cell is a limit not set). OK takes the table only when every cell is a number or
// empty and the limits are sound (LimitsEditing.h); otherwise the dialog stays open and its
// problem line names the series and what is wrong.
//
// objectNames for the tests: limitsTable, problemLabel, and the button box's OK button.
// Main (GUI) thread only.
#pragma once

#include "TrendLimits.h"

#include <QDialog>

#include <optional>
#include <string>

class QLabel;
class QTableWidget;

namespace Sondrel {

class TLimitsDialog : public QDialog {
    Q_OBJECT
public:
    TLimitsDialog(const QString& instrument, const TInstrumentLimits& limits,
                  QWidget* parent = nullptr);

    // The limits of the table; valid once accepted.
    const TInstrumentLimits& Limits() const { return FLimits; }
    // Reads the table: the limits, or what is wrong with them.
    std::optional<std::string> ReadTable();

    void accept() override;

    QTableWidget* limitsTable = nullptr;
    QLabel* problemLabel = nullptr;

private:
    TInstrumentLimits FLimits;
};

} // namespace Sondrel
