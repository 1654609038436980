#pragma once

#include <QWidget>

namespace kivplus {

// The run manager window: timed, repeated runs of keys (its content comes with the runners).
class CRunManagerDlg : public QWidget {
    Q_OBJECT
public:
    explicit CRunManagerDlg(QWidget* parent = nullptr);
};

} // namespace kivplus
