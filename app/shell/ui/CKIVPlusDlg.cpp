#include "shell/ui/CKIVPlusDlg.h"

#include "editors/CBasicKeyMapDlg.h"
#include "platform/DeviceMonitor.h"
#include "platform/IniSettings.h"
#include "run/ui/CPanelDlg.h"
#include "run/ui/CRunManagerDlg.h"
#include "run/ui/CScenarioGroupDlg.h"
#include "shell/CKIVPlusApp.h"
#include "shell/ShellTexts.h"
#include "shell/ui/CCommAndModeDlg.h"
#include "shell/ui/CSettingDlg.h"
#include "shell/ui/CUdsDownloadDlg.h"
#include "shell/ui/DeviceOperation.h"
#include "trace/ui/CTraceDlg.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace kivplus {

namespace {

constexpr const char* kArrangementSection = "KivPlusWindows";

// Key of each window's geometry in the INI file, and its size on first start.
struct WindowPlace {
    ShellWindow window;
    const char* key;
    int width;
    int height;
};
constexpr WindowPlace kPlaces[] = {
    {ShellWindow::Editor, "Editor", 900, 600},          {ShellWindow::Setting, "Setting", 640, 520},
    {ShellWindow::RunManager, "RunManager", 720, 480},  {ShellWindow::Panel, "Panel", 760, 520},
    {ShellWindow::ScenarioGroup, "ScenarioGroup", 480, 420}, {ShellWindow::TraceAll, "TraceAll", 900, 560},
    {ShellWindow::Trace1, "Trace1", 900, 560},          {ShellWindow::Trace2, "Trace2", 900, 560},
    {ShellWindow::SendLog, "SendLog", 900, 560},        {ShellWindow::UdsDownload, "UdsDownload", 720, 640},
};

} // namespace

CKIVPlusDlg::CKIVPlusDlg(CKIVPlusApp& app, QWidget* parent)
    : QMainWindow(parent)
    , app_(app)
    , port_(new CCommAndModeDlg(app))
    , setting_(new CSettingDlg(app, this))
    , uds_(new CUdsDownloadDlg(app, this))
    , sendLog_(new CTraceDlg(QStringLiteral("Send Log Data"), this))
{
    setCentralWidget(port_);
    auto* traceAll = new CTraceDlg(QStringLiteral("CAN All"), this);
    auto* trace1 = new CTraceDlg(QStringLiteral("CAN 1"), this);
    auto* trace2 = new CTraceDlg(QStringLiteral("CAN 2"), this);
    windows_ = {
        {ShellWindow::Editor, new CBasicKeyMapDlg(this)},
        {ShellWindow::Setting, setting_},
        {ShellWindow::RunManager, new CRunManagerDlg(this)},
        {ShellWindow::Panel, new CPanelDlg(this)},
        {ShellWindow::ScenarioGroup, new CScenarioGroupDlg(this)},
        {ShellWindow::TraceAll, traceAll},
        {ShellWindow::Trace1, trace1},
        {ShellWindow::Trace2, trace2},
        {ShellWindow::SendLog, sendLog_},
        {ShellWindow::UdsDownload, uds_},
    };
    for (const WindowPlace& place : kPlaces) {
        QWidget* child = windows_.at(place.window);
        child->setWindowFlag(Qt::Window);
        child->resize(place.width, place.height);
        child->hide();
    }
    for (CTraceDlg* trace : {traceAll, trace1, trace2})
        connect(trace, &CTraceDlg::activated, this, [this] { sendLogFocusedLast_ = false; });
    connect(sendLog_, &CTraceDlg::activated, this, [this] { sendLogFocusedLast_ = true; });
    connect(setting_, &CSettingDlg::udsDownloadRequested, this, [this] { showWindow(ShellWindow::UdsDownload); });
    connect(port_, &CCommAndModeDlg::connectionAttempted, this, &CKIVPlusDlg::updateMenus);

    buildMenus();
    resize(560, 180);
    restoreArrangement();
    app_.setView(this);
    setWindowTitle(QString::fromStdString(app_.title()));
    updateMenus();
}

CKIVPlusDlg::~CKIVPlusDlg()
{
    monitor_.reset();
    app_.setView(nullptr);
}

QAction* CKIVPlusDlg::addItem(QMenu* menu, const QString& path, std::function<void()> command)
{
    QAction* item = menu->addAction(path.section(QLatin1Char('/'), -1));
    connect(item, &QAction::triggered, this, [this, command = std::move(command)] {
        command();
        updateMenus();
    });
    actions_[path] = item;
    return item;
}

QAction* CKIVPlusDlg::action(const QString& path) const
{
    const auto it = actions_.find(path);
    return it == actions_.end() ? nullptr : it->second;
}

void CKIVPlusDlg::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    addItem(file, QStringLiteral("File/New"), [this] { app_.fileNew(); });
    QMenu* database = file->addMenu(QStringLiteral("Open Database"));
    addItem(database, QStringLiteral("File/Open Database/CAN 1..."), [this] { app_.openDatabase(0); });
    addItem(database, QStringLiteral("File/Open Database/CAN 2..."), [this] { app_.openDatabase(1); });
    addItem(file, QStringLiteral("File/Open KeyMap..."), [this] { app_.openKeyMap(); });
    addItem(file, QStringLiteral("File/Save KeyMap"), [this] { app_.saveKeyMap(); });
    addItem(file, QStringLiteral("File/Save As KeyMap..."), [this] { app_.saveAsKeyMap(); });
    file->addSeparator();
    addItem(file, QStringLiteral("File/Open Log..."), [this] { app_.openLog(); });
    addItem(file, QStringLiteral("File/Save As Log..."), [this] { app_.saveAsLog(); });

    QMenu* device = menuBar()->addMenu(QStringLiteral("Device"));
    addItem(device, QStringLiteral("Device/Get KeyMap"), [this] { getKeyMap(); });
    addItem(device, QStringLiteral("Device/Set KeyMap"), [this] { setKeyMap(); });

    QMenu* mode = menuBar()->addMenu(QStringLiteral("Mode"));
    addItem(mode, QStringLiteral("Mode/Configuration"), [this] { app_.switchMode(DeviceMode::Configuration); })
        ->setCheckable(true);
    addItem(mode, QStringLiteral("Mode/Interface"), [this] { app_.switchMode(DeviceMode::Interface); })
        ->setCheckable(true);

    viewMenu_ = menuBar()->addMenu(QStringLiteral("View"));
    addItem(viewMenu_, QStringLiteral("View/Basic KeyMap"), [this] { showWindow(ShellWindow::Editor); });
    addItem(viewMenu_, QStringLiteral("View/Scenario Group"), [this] { showWindow(ShellWindow::ScenarioGroup); });
    addItem(viewMenu_, QStringLiteral("View/Run Manager"), [this] { showWindow(ShellWindow::RunManager); });
    addItem(viewMenu_, QStringLiteral("View/Send Log Data"), [this] { showWindow(ShellWindow::SendLog); });
    addItem(viewMenu_, QStringLiteral("View/Setting"), [this] { showWindow(ShellWindow::Setting); });

    QMenu* trace = menuBar()->addMenu(QStringLiteral("Trace"));
    addItem(trace, QStringLiteral("Trace/CAN 1"), [this] { showWindow(ShellWindow::Trace1); });
    addItem(trace, QStringLiteral("Trace/CAN 2"), [this] { showWindow(ShellWindow::Trace2); });
    addItem(trace, QStringLiteral("Trace/ALL"), [this] { showWindow(ShellWindow::TraceAll); });

    QMenu* about = menuBar()->addMenu(QStringLiteral("About"));
    addItem(about, QStringLiteral("About/Update KIV-2XX..."), [this] { setting_->updateFirmware(); });
    addItem(about, QStringLiteral("About/About KIV Raze"), [this] { this->about(); });

    for (QMenu* menu : {file, database, device, mode, viewMenu_, trace, about})
        connect(menu, &QMenu::aboutToShow, this, &CKIVPlusDlg::updateMenus);
}

void CKIVPlusDlg::updateMenus()
{
    const MenuState state = app_.menuState();
    actions_.at(QStringLiteral("File/Save KeyMap"))->setEnabled(state.saveKeyMap);
    actions_.at(QStringLiteral("File/Save As KeyMap..."))->setEnabled(state.saveAsKeyMap);
    actions_.at(QStringLiteral("File/Open Log..."))->setEnabled(state.openLog);
    actions_.at(QStringLiteral("Device/Get KeyMap"))->setEnabled(state.getKeyMap);
    actions_.at(QStringLiteral("Device/Set KeyMap"))->setEnabled(state.setKeyMap);
    QAction* configuration = actions_.at(QStringLiteral("Mode/Configuration"));
    configuration->setEnabled(state.modeConfiguration);
    configuration->setChecked(state.configurationChecked);
    QAction* interface = actions_.at(QStringLiteral("Mode/Interface"));
    interface->setEnabled(state.modeInterface);
    interface->setChecked(state.interfaceChecked);
    actions_.at(QStringLiteral("View/Scenario Group"))->setEnabled(state.scenarioGroup);
    actions_.at(QStringLiteral("View/Run Manager"))->setEnabled(state.runManager);
    for (const char* item : {"Trace/CAN 1", "Trace/CAN 2", "Trace/ALL"})
        actions_.at(QString::fromLatin1(item))->setEnabled(state.trace);
    actions_.at(QStringLiteral("About/Update KIV-2XX..."))->setEnabled(state.updateFirmware);
}

bool CKIVPlusDlg::isWindowVisible(ShellWindow window) const
{
    return windows_.at(window)->isVisible();
}

void CKIVPlusDlg::showWindow(ShellWindow window)
{
    QWidget* child = windows_.at(window);
    child->show();
    child->raise();
    child->activateWindow();
}

void CKIVPlusDlg::hideWindow(ShellWindow window)
{
    windows_.at(window)->hide();
}

void CKIVPlusDlg::titleChanged(const std::string& title)
{
    const QString text = QString::fromStdString(title);
    if (QThread::currentThread() == thread())
        setWindowTitle(text);
    else
        QMetaObject::invokeMethod(this, [this, text] { setWindowTitle(text); }, Qt::QueuedConnection);
}

void CKIVPlusDlg::connectionChanged()
{
    port_->refreshPorts();
    port_->showStatus();
    setting_->refreshDeviceButtons();
    setting_->showSettings();
    updateMenus();
}

void CKIVPlusDlg::modeChanged()
{
    port_->showMode();
    updateMenus();
}

void CKIVPlusDlg::listsChanged()
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, [this] { listsChanged(); }, Qt::QueuedConnection);
        return;
    }
    updateMenus();
}

SendLogWindow* CKIVPlusDlg::sendLogWindow()
{
    return sendLog_;
}

void CKIVPlusDlg::getKeyMap()
{
    runDeviceOperation(this, QStringLiteral("Get KeyMap"), [this](const OperationProgress&) { return app_.getKeyMap(); });
}

void CKIVPlusDlg::setKeyMap()
{
    runDeviceOperation(this, QStringLiteral("Set KeyMap"), [this](const OperationProgress&) { return app_.setKeyMap(); });
}

void CKIVPlusDlg::about()
{
    char text[64];
    std::snprintf(text, sizeof text, shelltext::kAboutText, shelltext::kProgramVersion);
    QMessageBox::about(this, QStringLiteral("About KIV Raze"), QString::fromUtf8(text));
}

void CKIVPlusDlg::watchDevices()
{
    monitor_ = std::make_unique<DeviceMonitor>([this](const DeviceEvent& event) {
        QMetaObject::invokeMethod(this, [this, event] { deviceEvent(event); }, Qt::QueuedConnection);
    });
    monitor_->start();
}

void CKIVPlusDlg::deviceEvent(const DeviceEvent& event)
{
    if (event.action == DeviceEvent::Arrival) {
        if (event.kivDevice)
            QTimer::singleShot(1000, this, [this] { port_->refreshPorts(); });
        else if (event.port)
            port_->refreshPorts();
        return;
    }
    app_.deviceRemoved(event.kivDevice);
    updateMenus();
}

void CKIVPlusDlg::restoreArrangement()
{
    IniSettings& ini = app_.ini();
    auto restore = [&ini](QWidget* widget, const char* key) {
        const std::string saved = ini.value(kArrangementSection, key);
        if (!saved.empty())
            widget->restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(saved)));
    };
    restore(this, "MainWindow");
    for (const WindowPlace& place : kPlaces)
        restore(windows_.at(place.window), place.key);
}

void CKIVPlusDlg::saveArrangement()
{
    IniSettings& ini = app_.ini();
    ini.setValue(kArrangementSection, "MainWindow", saveGeometry().toBase64().toStdString());
    for (const WindowPlace& place : kPlaces)
        ini.setValue(kArrangementSection, place.key, windows_.at(place.window)->saveGeometry().toBase64().toStdString());
}

void CKIVPlusDlg::closeEvent(QCloseEvent* event)
{
    uds_->storeToParameters();
    saveArrangement();
    if (!app_.close()) {
        event->ignore();
        return;
    }
    monitor_.reset();
    for (const auto& entry : windows_)
        entry.second->close();
    event->accept();
}

} // namespace kivplus
