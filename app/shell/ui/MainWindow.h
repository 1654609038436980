#pragma once

#include <QMainWindow>

namespace kivplus {

// The application's main window.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
};

} // namespace kivplus
