// IDialogService: every message box, question, text prompt, file dialog and modal dialog that
// the console shows goes through this interface, so that tests can answer them in advance and
// no test ever waits on a modal window.
//
// TWidgetDialogService is the real one (Qt message boxes and dialogs); the tests have a
// scripted one. Main (GUI) thread only.
#pragma once

#include <QString>

#include <optional>

class QDialog;

namespace Sondrel {

struct TFileDialogOptions {
    QString Title;
    QString Directory;
    QString FileName;
    QString Filter; // Qt filter text: "Hex Files (*.hex);;All Files (*)"
    QString DefaultSuffix;
};

class IDialogService {
public:
    virtual ~IDialogService() = default;

    // The application's standard error display (an error box with the application's title).
    virtual void ShowError(const QString& text) = 0;
    // A plain message box with an OK button.
    virtual void ShowMessage(const QString& text) = 0;
    // An information box with a title.
    virtual void ShowInformation(const QString& title, const QString& text) = 0;
    // A Yes/No question; true for Yes. defaultNo makes No the default button.
    virtual bool AskYesNo(const QString& title, const QString& text, bool defaultNo) = 0;
    // A text prompt prefilled with value; none when cancelled.
    virtual std::optional<QString> InputQuery(const QString& title, const QString& prompt,
                                              const QString& value) = 0;
    // The chosen file, or an empty text when cancelled.
    virtual QString GetOpenFileName(const TFileDialogOptions& options) = 0;
    virtual QString GetSaveFileName(const TFileDialogOptions& options) = 0;
    // Runs the dialog modally and returns its result (QDialog::Accepted or Rejected).
    virtual int ExecDialog(QDialog& dialog) = 0;
};

} // namespace Sondrel
