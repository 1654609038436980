#pragma once

#include <functional>

class QString;
class QWidget;

namespace kivplus {

// Reports progress of a running device operation: steps done of a total.
using OperationProgress = std::function<void(int done, int total)>;

// Runs a blocking device operation (key map transfer, device settings,
// firmware update) on a worker thread behind a modal progress dialog, so the
// windows keep repainting; returns the operation's result. Messages the
// operation shows are carried to the user-interface thread by QtUserPrompt.
bool runDeviceOperation(QWidget* parent, const QString& label,
                        const std::function<bool(const OperationProgress& progress)>& operation);

} // namespace kivplus
