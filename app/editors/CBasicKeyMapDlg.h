#pragma once

#include <QWidget>

namespace kivplus {

// The basic key map editor: database tree, key lists, frame and signal editing (its content comes with the editor's own work).
class CBasicKeyMapDlg : public QWidget {
    Q_OBJECT
public:
    explicit CBasicKeyMapDlg(QWidget* parent = nullptr);
};

} // namespace kivplus
