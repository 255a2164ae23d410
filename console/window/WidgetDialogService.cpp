#include "WidgetDialogService.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace Sondrel {

namespace {

QWidget* Parent() {
    return QApplication::activeWindow();
}

QString Title() {
    return QApplication::applicationDisplayName();
}

} // namespace

void TWidgetDialogService::ShowError(const QString& text) {
    QMessageBox::critical(Parent(), Title(), text);
}

void TWidgetDialogService::ShowMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, Title(), text, QMessageBox::Ok, Parent());
    box.exec();
}

void TWidgetDialogService::ShowInformation(const QString& title, const QString& text) {
    QMessageBox::information(Parent(), title.isEmpty() ? Title() : title, text);
}

bool TWidgetDialogService::AskYesNo(const QString& title, const QString& text, bool defaultNo) {
    return QMessageBox::question(Parent(), title.isEmpty() ? Title() : title, text,
                                 QMessageBox::Yes | QMessageBox::No,
                                 defaultNo ? QMessageBox::No : QMessageBox::Yes) ==
           QMessageBox::Yes;
}

std::optional<QString> TWidgetDialogService::InputQuery(const QString& title, const QString& prompt,
                                                        const QString& value) {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(Parent(), title, prompt, QLineEdit::Normal, value, &ok);
    if (!ok) {
        return std::nullopt;
    }
    return answer;
}

QString TWidgetDialogService::GetOpenFileName(const TFileDialogOptions& options) {
    QFileDialog dialog(Parent(), options.Title, options.Directory, options.Filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(options.DefaultSuffix);
    if (!options.FileName.isEmpty()) {
        dialog.selectFile(options.FileName);
    }
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().constFirst()
               : QString();
}

QString TWidgetDialogService::GetSaveFileName(const TFileDialogOptions& options) {
    QFileDialog dialog(Parent(), options.Title, options.Directory, options.Filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(options.DefaultSuffix);
    if (!options.FileName.isEmpty()) {
        dialog.selectFile(options.FileName);
    }
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().constFirst()
               : QString();
}

int TWidgetDialogService::ExecDialog(QDialog& dialog) {
    return dialog.exec();
}

} // namespace Sondrel
