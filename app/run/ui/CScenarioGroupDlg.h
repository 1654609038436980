#pragma once

#include <QWidget>

namespace kivplus {

// The scenario group window: a list of Scenario keys run in turn (its content comes with the runners).
class CScenarioGroupDlg : public QWidget {
    Q_OBJECT
public:
    explicit CScenarioGroupDlg(QWidget* parent = nullptr);
};

} // namespace kivplus
