#include "shell/ui/MainWindow.h"

#include <QMenuBar>

namespace kivplus {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("KIV Raze"));
    menuBar()->addMenu(QStringLiteral("&File"));
    menuBar()->addMenu(QStringLiteral("&View"));
    menuBar()->addMenu(QStringLiteral("&About"));
    resize(800, 600);
}

} // namespace kivplus
