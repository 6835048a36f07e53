// The window tests run inside one QApplication on the offscreen platform.

#include <gtest/gtest.h>

#include <QApplication>

#include "messages.h"

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    geolago::ui::setApplicationTitle(QStringLiteral("Geolago_2"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
