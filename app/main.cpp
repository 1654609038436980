#include "platform/IniSettings.h"
#include "shell/CKIVPlusApp.h"
#include "shell/DemoSetup.h"
#include "shell/ui/CKIVPlusDlg.h"
#include "shell/ui/QtUserPrompt.h"
#include "shell/ui/SimulatorHost.h"

#include <QApplication>
#include <QStringList>

#include <iostream>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    for (const QString& argument : arguments.mid(1)) {
        if (argument != QLatin1String("--demo")) {
            std::cerr << "usage: kivplus [--demo]\n";
            return 2;
        }
    }

    kivplus::IniSettings ini(kivplus::IniSettings::defaultPath());
    kivplus::QtUserPrompt prompt;
    kivplus::SimulatorHost simulator;
    kivplus::CKIVPlusApp app(prompt, ini);
    app.setVirtualDevice(&simulator);
    kivplus::CKIVPlusDlg window(app);
    prompt.setParent(&window);
    window.watchDevices();
    window.show();
    if (arguments.contains(QLatin1String("--demo")))
        kivplus::startDemo(app, kivplus::examplesFolder());
    window.updateMenus();
    return application.exec();
}
