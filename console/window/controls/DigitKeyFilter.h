// TDigitKeyFilter: lets only the digits 0 to 9 and backspace be typed into the edits it is
// installed on; any other typed character is discarded and OnInvalidKey is called (the window
// shows "Invalid key.  Please try again."). Keys that type nothing (arrows, Delete) and the
// dialog keys (Enter, Escape, Tab) pass unchanged.
//
// Main (GUI) thread only. Install with edit->installEventFilter(filter); the filter is a
// QObject owned by its parent.
#pragma once

#include <QObject>

#include <functional>

namespace Sondrel {

class TDigitKeyFilter : public QObject {
    Q_OBJECT
public:
    static constexpr const char* InvalidKeyText = "Invalid key.  Please try again.";

    explicit TDigitKeyFilter(QObject* parent = nullptr);

    std::function<void()> OnInvalidKey;

    // True when the typed text may reach the edit.
    static bool IsAllowedKey(int key, const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace Sondrel
