#include "AcknowledgeDialog.h"

#include "ExcursionAcks.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace Sondrel {

TAcknowledgeDialog::TAcknowledgeDialog(const QString& excursion, const QString& who,
                                       QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("acknowledgeDialog"));
    setWindowTitle(QStringLiteral("Acknowledge Excursion"));
    whoEdit = new QLineEdit(who, this);
    whoEdit->setObjectName(QStringLiteral("whoEdit"));
    whoEdit->setMaxLength(static_cast<int>(kMaxAcknowledgedByLength));
    commentEdit = new QPlainTextEdit(this);
    commentEdit->setObjectName(QStringLiteral("commentEdit"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TAcknowledgeDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TAcknowledgeDialog::reject);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Acknowledged by:"), whoEdit);
    form->addRow(QStringLiteral("Comment:"), commentEdit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(excursion, this));
    layout->addLayout(form);
    layout->addWidget(buttons);
}

QString TAcknowledgeDialog::Who() const {
    return whoEdit->text().trimmed();
}

QString TAcknowledgeDialog::Comment() const {
    return commentEdit->toPlainText();
}

void TAcknowledgeDialog::accept() {
    if (Who().isEmpty()) {
        whoEdit->setFocus();
        return;
    }
    QDialog::accept();
}

} // namespace Sondrel
