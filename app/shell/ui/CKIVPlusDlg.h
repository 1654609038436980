#pragma once

#include "shell/ShellView.h"

#include <QMainWindow>

#include <functional>
#include <map>
#include <memory>

class QAction;
class QMenu;

namespace kivplus {

class CKIVPlusApp;
class CCommAndModeDlg;
class CSettingDlg;
class CTraceDlg;
class CUdsDownloadDlg;
class DeviceMonitor;
struct DeviceEvent;

// The main window: the menu bar over the controller, the port and mode window
// as its centre, and the child windows, created hidden and shown on demand.
class CKIVPlusDlg : public QMainWindow, public ShellView {
    Q_OBJECT
public:
    explicit CKIVPlusDlg(CKIVPlusApp& app, QWidget* parent = nullptr);
    ~CKIVPlusDlg() override;

    // ShellView
    bool isWindowVisible(ShellWindow window) const override;
    void showWindow(ShellWindow window) override;
    void hideWindow(ShellWindow window) override;
    void titleChanged(const std::string& title) override;
    void connectionChanged() override;
    void modeChanged() override;
    void listsChanged() override;
    SendLogWindow* sendLogWindow() override;
    bool sendLogHadFocusLast() const override { return sendLogFocusedLast_; }

    // Enables and checks the menu items by the controller's rules.
    void updateMenus();
    // Starts watching device arrival and removal.
    void watchDevices();

    QWidget* window(ShellWindow window) const { return windows_.at(window); }
    CCommAndModeDlg* portWindow() const { return port_; }
    CSettingDlg* settingWindow() const { return setting_; }
    CUdsDownloadDlg* udsWindow() const { return uds_; }
    QAction* action(const QString& path) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    QAction* addItem(QMenu* menu, const QString& path, std::function<void()> command);
    void deviceEvent(const DeviceEvent& event);
    void restoreArrangement();
    void saveArrangement();

    void getKeyMap();
    void setKeyMap();
    void about();

    CKIVPlusApp& app_;
    CCommAndModeDlg* port_;
    CSettingDlg* setting_;
    CUdsDownloadDlg* uds_;
    CTraceDlg* sendLog_;
    std::map<ShellWindow, QWidget*> windows_;
    std::map<QString, QAction*> actions_;
    QMenu* viewMenu_ = nullptr;
    bool sendLogFocusedLast_ = false;
    std::unique_ptr<DeviceMonitor> monitor_;
};

} // namespace kivplus
