#pragma once

#include "platform/UserPrompt.h"
#include "trace/CTraceLog.h"
#include "trace/CTraceView.h"

namespace kivplus {

// What the Open Log command needs of the Send Log Data window.
class SendLogWindow {
public:
    virtual ~SendLogWindow() = default;
    virtual CTraceView& traceView() = 0;
    virtual void resetScrollOffset() = 0;
    // The window's Apply command (filters applied, view rebuilt).
    virtual void applyFilters() = 0;
    // The log is loaded: bring the window up, enable its time-range controls
    // and, in Interface mode, its send buttons.
    virtual void showLoadedLog() = 0;
    virtual void refreshPage() = 0;
};

// File > "Open Log...": reads the chosen file into the send log. 1 loaded,
// 0 nothing loaded (cancelled, wrong extension or a failure that was shown).
int openLogCommand(UserPrompt& prompt, CTraceLog& sendLog, SendLogWindow& window);
// Reads a file into the send log and its view; the Open Log command after the
// file was chosen. Returns what openLogFile returned (1, 0, -1).
int loadLogIntoSendLog(const std::string& path, CTraceLog& sendLog, CTraceView& view);

// File > "Save As Log...": saves the given log (the send log when the Send Log
// Data window had the focus last, otherwise the live log). 1 saved, 0 not.
int saveAsLogCommand(UserPrompt& prompt, CTraceLog& log);

} // namespace kivplus
