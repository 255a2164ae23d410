// The hostile texts put in place of a settings store value, shared by the store's own tests
// and the window's start-up tests: each with the way the store's message shows it.
#pragma once

#include <QString>

#include <vector>

namespace SettingsTests {

struct THostile {
    const char* Name;
    QString Text;
    QString Shown; // the value as the message shows it
    bool Negative = false;
};

inline const std::vector<THostile>& Hostiles() {
    static const std::vector<THostile> hostiles = {
        {"garbage", "fast", "fast"},
        {"beyond 32 bits", "4294967296", "4294967296"},
        {"beyond 64 bits", "99999999999999999999", "99999999999999999999"},
        {"negative", "-5", "", true},
        {"empty", "", ""},
        {"number then NUL", QString::fromUtf16(u"7\u0000x", 3), "7?x"},
        {"binary noise", QString::fromUtf16(u"\u0001\u0000x\uFFFDy\r\u007f", 7),
         QString::fromUtf16(u"??x\uFFFDy??")},
        {"very long", QString(100000, QLatin1Char('7')), QString(40, QLatin1Char('7')) + "..."},
    };
    return hostiles;
}

} // namespace SettingsTests
