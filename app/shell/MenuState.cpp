#include "shell/MenuState.h"

namespace kivplus {

MenuState MenuState::compute(DeviceMode mode, bool connected, bool listsEmpty, bool replayRunning)
{
    const bool interface = mode == DeviceMode::Interface;
    const bool configuration = mode == DeviceMode::Configuration;
    MenuState state;
    state.saveKeyMap = !listsEmpty;
    state.saveAsKeyMap = !listsEmpty;
    state.openLog = !replayRunning;
    state.getKeyMap = connected && configuration;
    state.setKeyMap = connected && configuration;
    state.modeConfiguration = listsEmpty && !connected;
    state.modeInterface = listsEmpty && !connected;
    state.configurationChecked = configuration;
    state.interfaceChecked = interface;
    state.scenarioGroup = interface;
    state.runManager = interface;
    state.trace = interface;
    state.updateFirmware = configuration;
    return state;
}

} // namespace kivplus
