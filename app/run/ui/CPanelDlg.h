#pragma once

#include <QWidget>

namespace kivplus {

// The panel window: buttons bound to keys (its content comes with the runners).
class CPanelDlg : public QWidget {
    Q_OBJECT
public:
    explicit CPanelDlg(QWidget* parent = nullptr);
};

} // namespace kivplus
