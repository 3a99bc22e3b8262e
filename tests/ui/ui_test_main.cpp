// One QApplication for every window test; offscreen and with its own settings
// folder (set by the test environment).
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
