#include "shell/ui/MainWindow.h"

#include <QApplication>
#include <QMenuBar>

#include <gtest/gtest.h>

namespace {

QApplication& app()
{
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication instance(argc, argv);
    return instance;
}

TEST(MainWindow, OpensWithTitleAndMenuBar)
{
    app();
    kivplus::MainWindow window;
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("KIV Raze"));
    EXPECT_FALSE(window.menuBar()->actions().isEmpty());
}

} // namespace
