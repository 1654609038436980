#pragma once

#include <QWidget>

#include <array>

class QButtonGroup;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kivplus {

class CKIVPlusApp;

// The setting window: Log Setting (folder and Max Log Line), Device Setting
// (wire type and bit rate of CAN 1 and CAN 2, read from and written to the
// device), the firmware update, and the way to the UDS window.
class CSettingDlg : public QWidget {
    Q_OBJECT
public:
    explicit CSettingDlg(CKIVPlusApp& app, QWidget* parent = nullptr);

    // Get/Set Dev Setting follow the connection; the log settings their lock.
    void refreshDeviceButtons();
    // Shows the values the controller holds.
    void showSettings();
    // About > Update KIV-2XX...: chooses an image and sends it.
    void updateFirmware();

    QLineEdit* folderText() const { return folder_; }
    QPushButton* changeButton() const { return change_; }
    QButtonGroup* sizeChoice() const { return size_; }
    QButtonGroup* wireType(int channel) const { return wire_[std::size_t(channel)]; }
    QButtonGroup* bitRate(int channel) const { return rate_[std::size_t(channel)]; }
    QPushButton* getButton() const { return get_; }
    QPushButton* setButton() const { return set_; }
    QPushButton* udsButton() const { return uds_; }

signals:
    void udsDownloadRequested();

private:
    QWidget* makeLogGroup();
    QWidget* makeChannelGroup(int channel);
    void wireTypeChosen(int channel, int wireType);
    void bitRateChosen(int channel, int index);
    void getDevSetting();
    void setDevSetting();

    CKIVPlusApp& app_;
    QLineEdit* folder_ = nullptr;
    QPushButton* change_ = nullptr;
    QButtonGroup* size_ = nullptr;
    std::array<QButtonGroup*, 2> wire_{};
    std::array<QButtonGroup*, 2> rate_{};
    QPushButton* get_ = nullptr;
    QPushButton* set_ = nullptr;
    QPushButton* uds_ = nullptr;
};

} // namespace kivplus
