// A dialog service for the window tests: every message is recorded, and every question,
// prompt, file dialog and modal dialog is answered by what the test queued in advance. A modal
// dialog with no answer queued is recorded as unexpected and rejected at once, so no test ever
// waits on a window.
#pragma once

#include "DialogService.h"

#include <QDialog>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace ConsoleTest {

class TScriptedDialogService : public Sondrel::IDialogService {
public:
    using TDialogAnswer = std::function<int(QDialog&)>;

    void ShowError(const QString& text) override {
        Errors << text;
        if (OnError) {
            OnError(text);
        }
    }
    void ShowMessage(const QString& text) override { Messages << text; }
    void ShowInformation(const QString&, const QString& text) override { Messages << text; }
    bool AskYesNo(const QString&, const QString& text, bool) override {
        Questions << text;
        if (YesNoAnswers.empty()) {
            Unexpected << QStringLiteral("question: ") + text;
            return false;
        }
        const bool answer = YesNoAnswers.front();
        YesNoAnswers.pop_front();
        return answer;
    }
    std::optional<QString> InputQuery(const QString&, const QString& prompt,
                                      const QString&) override {
        if (InputAnswers.empty()) {
            Unexpected << QStringLiteral("prompt: ") + prompt;
            return std::nullopt;
        }
        auto answer = InputAnswers.front();
        InputAnswers.pop_front();
        return answer;
    }
    QString GetOpenFileName(const Sondrel::TFileDialogOptions& options) override {
        return NextFile(options);
    }
    QString GetSaveFileName(const Sondrel::TFileDialogOptions& options) override {
        return NextFile(options);
    }
    int ExecDialog(QDialog& dialog) override {
        if (DialogAnswers.empty()) {
            Unexpected << QStringLiteral("dialog: ") + dialog.objectName();
            return QDialog::Rejected;
        }
        const TDialogAnswer answer = std::move(DialogAnswers.front());
        DialogAnswers.pop_front();
        return answer(dialog);
    }

    // A dialog answer that presses the dialog's own buttons and returns its result.
    static int ResultOf(QDialog& dialog) { return dialog.result(); }

    QStringList Errors;
    QStringList Messages;
    QStringList Questions;
    QStringList Unexpected;
    std::deque<bool> YesNoAnswers;
    std::deque<std::optional<QString>> InputAnswers;
    std::deque<QString> FileAnswers;
    std::deque<TDialogAnswer> DialogAnswers;
    // The options of every file dialog asked for, in order.
    std::vector<Sondrel::TFileDialogOptions> FileDialogs;
    // Called with every error box while it would be shown (what the program has done by then).
    std::function<void(const QString&)> OnError;

private:
    QString NextFile(const Sondrel::TFileDialogOptions& options) {
        FileDialogs.push_back(options);
        if (FileAnswers.empty()) {
            Unexpected << QStringLiteral("file dialog: ") + options.Title;
            return QString();
        }
        const QString answer = FileAnswers.front();
        FileAnswers.pop_front();
        return answer;
    }
};

} // namespace ConsoleTest
