#include "shell/ui/MainWindow.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    kivplus::MainWindow window;
    window.show();
    return app.exec();
}
