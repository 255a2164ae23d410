// The seams through which the console's widgets show errors and run modal dialogs, so that a
// test can intercept them and no test ever waits on a modal window. The window binds them to
// its dialog service; an empty seam falls back to a plain message box or QDialog::exec.
//
// Main (GUI) thread only.
#pragma once

#include <QString>

#include <functional>

class QDialog;
class QWidget;

namespace Sondrel {

// Shows one error message to the operator.
using TShowError = std::function<void(const QString& text)>;
// Runs the dialog modally and returns its result (QDialog::Accepted or QDialog::Rejected).
using TExecDialog = std::function<int(QDialog& dialog)>;

// Through the seam, or an error box over parent when the seam is empty.
void ShowErrorThrough(const TShowError& showError, QWidget* parent, const QString& text);
// Through the seam, or dialog.exec() when the seam is empty.
int ExecDialogThrough(const TExecDialog& execDialog, QDialog& dialog);

} // namespace Sondrel
