#include "trace/LogFileCommands.h"

#include "trace/LogFormats.h"
#include "trace/LogLineReader.h"
#include "trace/TraceTexts.h"

#include <filesystem>

namespace kivplus {

int loadLogIntoSendLog(const std::string& path, CTraceLog& sendLog, CTraceView& view)
{
    const long lines = countLogFileLines(path.c_str());
    sendLog.close();
    int result = 0;
    if (lines > 0 && sendLog.allocate(int(lines), true) && view.allocateItems(int(lines))) {
        view.attachLog(&sendLog);
        view.allocateGroups(CTraceView::kGroupSlots);
        result = sendLog.openLogFile(path);
    }
    if (result != 1) {
        // A log file is never partly applied.
        sendLog.close();
        view.freeItems();
        view.freeGroups();
    }
    return result;
}

int openLogCommand(UserPrompt& prompt, CTraceLog& sendLog, SendLogWindow& window)
{
    const std::string path = prompt.chooseOpenFile(tracetext::kSelectLogFileTitle, tracetext::kLogFileFilter);
    if (path.empty())
        return 0;
    if (logFormatOfPath(path) == LogFormat::None) {
        prompt.error(tracetext::kChooseLogFormat);
        return 0;
    }
    BusyScope busy(prompt);
    window.resetScrollOffset();
    const int result = loadLogIntoSendLog(path, sendLog, window.traceView());
    if (result == 1) {
        window.applyFilters();
        window.showLoadedLog();
    } else {
        prompt.error(result == -1 ? tracetext::kLogTooManyLines : tracetext::kLogReadFailed);
    }
    window.refreshPage();
    return result == 1 ? 1 : 0;
}

int saveAsLogCommand(UserPrompt& prompt, CTraceLog& log)
{
    std::string path = prompt.chooseSaveFile(tracetext::kSaveLogTitle, tracetext::kLogFileFilter, "");
    if (path.empty())
        return 0;
    if (std::filesystem::path(path).extension().empty())
        path += ".kl";
    if (logFormatOfPath(path) == LogFormat::None) {
        prompt.error(tracetext::kChooseLogFormat);
        return 0;
    }
    BusyScope busy(prompt);
    return log.saveLogFile(path);
}

} // namespace kivplus
