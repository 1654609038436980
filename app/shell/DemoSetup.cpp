#include "shell/DemoSetup.h"

#include "platform/ProgramFolder.h"
#include "shell/CKIVPlusApp.h"
#include "shell/ShellTexts.h"

namespace kivplus {

std::filesystem::path examplesFolder()
{
    return programFolder() / "examples";
}

bool startDemo(CKIVPlusApp& app, const std::filesystem::path& examples)
{
    if (app.mode() != DeviceMode::Interface) {
        if (!app.listsEmpty() || app.isConnected())
            return false;
        app.switchMode(DeviceMode::Interface);
    }
    return app.connectPort(shelltext::kSimulatorEntry) && app.openDatabaseFile(0, (examples / "demo.dbc").string())
           && app.openKeyMapFile((examples / "demo.kiv").string());
}

} // namespace kivplus
