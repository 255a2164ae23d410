// The main of every Qt test program: a QApplication on the offscreen platform (unless
// the caller chose another), then the tests. Kept out of test_support, which is Qt-free.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sondrel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Sondrel"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
