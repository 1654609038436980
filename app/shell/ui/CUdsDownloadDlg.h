#pragma once

#include <QTimer>
#include <QWidget>

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace kivplus {

class CKIVPlusApp;
struct UdsParameters;

// The UDS download window: the parameters of a download as texts (kept in
// the INI section "KivPlusUDS" by the controller), and the download itself
// with its progress and a Stop button.
class CUdsDownloadDlg : public QWidget {
    Q_OBJECT
public:
    explicit CUdsDownloadDlg(CKIVPlusApp& app, QWidget* parent = nullptr);

    // Shows the controller's parameters (loaded from the INI file at start).
    void loadFromParameters();
    // Takes the values from the controls into the controller's parameters.
    void storeToParameters();

    QLineEdit* field(const char* label) const;
    QComboBox* addressForm() const { return addressForm_; }
    QLineEdit* file(int index) const { return files_[std::size_t(index)]; }
    QPushButton* startButton() const { return start_; }
    QPushButton* stopButton() const { return stop_; }

private:
    void startDownload();
    void pollDownload();
    void browse(QLineEdit* target, const char* title);

    CKIVPlusApp& app_;
    std::array<QLineEdit*, 12> fields_{};   // in the order of kUdsFieldLabels
    QComboBox* addressForm_ = nullptr;
    std::array<QLineEdit*, 10> files_{};
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* state_ = nullptr;
    QTimer poll_;
};

} // namespace kivplus
