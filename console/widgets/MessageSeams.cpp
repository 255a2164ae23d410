#include "MessageSeams.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

namespace Sondrel {

void ShowErrorThrough(const TShowError& showError, QWidget* parent, const QString& text) {
    if (showError) {
        showError(text);
        return;
    }
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), text);
}

int ExecDialogThrough(const TExecDialog& execDialog, QDialog& dialog) {
    return execDialog ? execDialog(dialog) : dialog.exec();
}

} // namespace Sondrel
