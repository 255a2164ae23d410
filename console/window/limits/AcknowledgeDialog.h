// TAcknowledgeDialog: "Acknowledge Excursion": who acknowledges it (the login name to begin
// with) and a comment, for one excursion named in its first line. OK needs a name.
//
// objectNames for the tests: whoEdit, commentEdit. Main (GUI) thread only.
#pragma once

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;

namespace Sondrel {

class TAcknowledgeDialog : public QDialog {
    Q_OBJECT
public:
    TAcknowledgeDialog(const QString& excursion, const QString& who, QWidget* parent = nullptr);

    QString Who() const;
    QString Comment() const;

    void accept() override;

    QLineEdit* whoEdit = nullptr;
    QPlainTextEdit* commentEdit = nullptr;
};

} // namespace Sondrel
