#pragma once

#include <string>

namespace kivplus {

class SendLogWindow;

// The windows the main window owns besides itself and the port window.
enum class ShellWindow {
    Editor,
    Setting,
    RunManager,
    Panel,
    ScenarioGroup,
    TraceAll,
    Trace1,
    Trace2,
    SendLog,
    UdsDownload,
};

// What the main controller asks of the windows. The window program implements
// it with widgets; tests with a recording fake. Every call comes from the
// user-interface thread except listsChanged(), which a device transfer may
// call from its worker.
class ShellView {
public:
    virtual ~ShellView() = default;

    virtual bool isWindowVisible(ShellWindow window) const = 0;
    // Shows the window and brings it to the top.
    virtual void showWindow(ShellWindow window) = 0;
    virtual void hideWindow(ShellWindow window) = 0;

    virtual void titleChanged(const std::string& title) = 0;
    // Connection state, status text or port list changed (the port window and
    // the setting window's device buttons follow).
    virtual void connectionChanged() = 0;
    virtual void modeChanged() = 0;
    // The key lists were replaced or emptied (the editor refreshes).
    virtual void listsChanged() = 0;

    // The "Send Log Data" window, when there is one.
    virtual SendLogWindow* sendLogWindow() { return nullptr; }
    // Whether "Send Log Data" was the trace window that had the focus last.
    virtual bool sendLogHadFocusLast() const { return false; }
};

// The in-process virtual device behind the port entry "KIV-2xx Simulator".
class VirtualDeviceHost {
public:
    virtual ~VirtualDeviceHost() = default;
    // Starts the device (when not running) and returns the port it answers on;
    // empty when it cannot start.
    virtual std::string start() = 0;
    virtual void stop() = 0;
};

} // namespace kivplus
