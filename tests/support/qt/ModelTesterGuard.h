// Collects what QAbstractItemModelTester reports (it warns under the category "qt.modeltest")
// while a test runs, so that the test can fail on it instead of only printing it.
// Main thread only; one guard at a time.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <cstring>

class TModelTesterGuard {
public:
    TModelTesterGuard() {
        Reports().clear();
        FPrevious = qInstallMessageHandler(&Handle);
    }
    ~TModelTesterGuard() { qInstallMessageHandler(FPrevious); }
    TModelTesterGuard(const TModelTesterGuard&) = delete;
    TModelTesterGuard& operator=(const TModelTesterGuard&) = delete;

    // The tester's reports so far, joined by new lines; empty when the model behaved.
    static QString Failures() { return Reports().join(QLatin1Char('\n')); }

private:
    static QStringList& Reports() {
        static QStringList reports;
        return reports;
    }
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        const bool failure = type == QtWarningMsg || type == QtCriticalMsg;
        if (failure && context.category != nullptr &&
            std::strcmp(context.category, "qt.modeltest") == 0) {
            Reports().append(text);
        }
    }

    QtMessageHandler FPrevious = nullptr;
};
