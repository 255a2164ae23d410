// TWidgetDialogService: the dialog service of the running program, with Qt's message boxes,
// input dialog and file dialogs, parented to the active window. Main (GUI) thread only.
#pragma once

#include "DialogService.h"

namespace Sondrel {

class TWidgetDialogService : public IDialogService {
public:
    void ShowError(const QString& text) override;
    void ShowMessage(const QString& text) override;
    void ShowInformation(const QString& title, const QString& text) override;
    bool AskYesNo(const QString& title, const QString& text, bool defaultNo) override;
    std::optional<QString> InputQuery(const QString& title, const QString& prompt,
                                      const QString& value) override;
    QString GetOpenFileName(const TFileDialogOptions& options) override;
    QString GetSaveFileName(const TFileDialogOptions& options) override;
    int ExecDialog(QDialog& dialog) override;
};

} // namespace Sondrel
