#pragma once

#include "trace/CTraceView.h"
#include "trace/LogFileCommands.h"

#include <QWidget>

class QLabel;

namespace kivplus {

// A trace window (CAN All, CAN 1, CAN 2 or "Send Log Data"). For now it only
// holds its view and tells what it shows; the trace list comes with the trace
// windows' own work.
class CTraceDlg : public QWidget, public SendLogWindow {
    Q_OBJECT
public:
    CTraceDlg(const QString& title, QWidget* parent = nullptr);

    CTraceView& traceView() override { return view_; }
    void resetScrollOffset() override {}
    void applyFilters() override {}
    void showLoadedLog() override;
    void refreshPage() override;

signals:
    // The window became the active window.
    void activated();

protected:
    void changeEvent(QEvent* event) override;

private:
    CTraceView view_;
    QLabel* text_;
};

} // namespace kivplus
