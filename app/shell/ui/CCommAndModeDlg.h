#pragma once

#include <QComboBox>
#include <QWidget>

class QLineEdit;
class QPushButton;

namespace kivplus {

class CKIVPlusApp;

// A drop-down that says when its list is about to open.
class PortComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override;
signals:
    void aboutToShowPopup();
};

// The port and mode window: the port list with the "KIV-2xx Simulator" entry,
// the Disconnect button, the connection status and the device mode.
class CCommAndModeDlg : public QWidget {
    Q_OBJECT
public:
    explicit CCommAndModeDlg(CKIVPlusApp& app, QWidget* parent = nullptr);

    // Rebuilds the port list, keeping the current port selected.
    void refreshPorts();
    void showMode();
    void showStatus();

    QComboBox* portList() const { return ports_; }
    QPushButton* disconnectButton() const { return disconnect_; }
    QLineEdit* statusText() const { return status_; }
    QLineEdit* modeText() const { return mode_; }

signals:
    // A connection attempt has ended (connected or not).
    void connectionAttempted();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void portChosen(int index);

    CKIVPlusApp& app_;
    PortComboBox* ports_;
    QPushButton* disconnect_;
    QLineEdit* status_;
    QLineEdit* mode_;
};

} // namespace kivplus
