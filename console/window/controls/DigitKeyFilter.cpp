#include "DigitKeyFilter.h"

#include <QKeyEvent>

namespace Sondrel {

TDigitKeyFilter::TDigitKeyFilter(QObject* parent) : QObject(parent) {}

bool TDigitKeyFilter::IsAllowedKey(int key, const QString& text) {
    switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return true;
    default:
        break;
    }
    if (text.isEmpty()) {
        return true; // a key that types nothing
    }
    return text.size() == 1 && text[0] >= QLatin1Char('0') && text[0] <= QLatin1Char('9');
}

bool TDigitKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!IsAllowedKey(key->key(), key->text())) {
            if (OnInvalidKey) {
                OnInvalidKey();
            }
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace Sondrel
