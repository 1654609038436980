#include "shell/ui/CSettingDlg.h"

#include "platform/UserPrompt.h"
#include "shell/CKIVPlusApp.h"
#include "shell/ShellTexts.h"
#include "shell/ui/DeviceOperation.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kivplus {

namespace {

constexpr const char* kWireTexts[] = {"Single", "Dual(High Speed)", "Dual(Low Speed)"};
constexpr const char* kRateTexts[] = {"33.3K", "100K", "125K", "250K", "500K", "1M"};
constexpr const char* kSizeTexts[] = {"100000", "400000", "800000", "1500000"};

} // namespace

CSettingDlg::CSettingDlg(CKIVPlusApp& app, QWidget* parent) : QWidget(parent), app_(app)
{
    setWindowTitle(QStringLiteral("Setting"));
    auto* device = new QGroupBox(QStringLiteral("Device Setting"));
    auto* deviceLayout = new QVBoxLayout(device);
    auto* channels = new QHBoxLayout;
    channels->addWidget(makeChannelGroup(0));
    channels->addWidget(makeChannelGroup(1));
    deviceLayout->addLayout(channels);
    auto* buttons = new QHBoxLayout;
    get_ = new QPushButton(QStringLiteral("Get Dev Setting"));
    set_ = new QPushButton(QStringLiteral("Set Dev Setting"));
    buttons->addStretch();
    buttons->addWidget(get_);
    buttons->addWidget(set_);
    deviceLayout->addLayout(buttons);

    uds_ = new QPushButton(QStringLiteral("UDS Download…"));
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(uds_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeLogGroup());
    layout->addWidget(device);
    layout->addLayout(bottom);

    connect(get_, &QPushButton::clicked, this, &CSettingDlg::getDevSetting);
    connect(set_, &QPushButton::clicked, this, &CSettingDlg::setDevSetting);
    connect(uds_, &QPushButton::clicked, this, &CSettingDlg::udsDownloadRequested);
    showSettings();
    refreshDeviceButtons();
}

QWidget* CSettingDlg::makeLogGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Log Setting"));
    auto* grid = new QGridLayout(group);
    folder_ = new QLineEdit;
    change_ = new QPushButton(QStringLiteral("Change"));
    grid->addWidget(new QLabel(QStringLiteral("Log Folder")), 0, 0);
    grid->addWidget(folder_, 0, 1);
    grid->addWidget(change_, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Max Log Line")), 1, 0);
    auto* sizes = new QHBoxLayout;
    size_ = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        auto* radio = new QRadioButton(QString::fromLatin1(kSizeTexts[i]));
        size_->addButton(radio, i);
        sizes->addWidget(radio);
    }
    sizes->addStretch();
    grid->addLayout(sizes, 1, 1, 1, 2);
    grid->setColumnStretch(1, 1);

    connect(folder_, &QLineEdit::textEdited, this,
            [this](const QString& text) { app_.setLogFolder(text.toStdString()); });
    connect(change_, &QPushButton::clicked, this, [this] {
        const std::string chosen =
            app_.prompt().chooseFolder(shelltext::kLogFolderTitle, app_.logSettings().effectiveFolder());
        if (chosen.empty())
            return;
        app_.setLogFolder(chosen);
        folder_->setText(QString::fromStdString(chosen));
    });
    connect(size_, &QButtonGroup::idClicked, this, [this](int id) { app_.setLogSizeChoice(id); });
    return group;
}

QWidget* CSettingDlg::makeChannelGroup(int channel)
{
    auto* group = new QGroupBox(channel == 0 ? QStringLiteral("CAN 1") : QStringLiteral("CAN 2"));
    auto* layout = new QHBoxLayout(group);
    auto* wires = new QVBoxLayout;
    auto* rates = new QVBoxLayout;
    auto* wireGroup = new QButtonGroup(this);
    auto* rateGroup = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(QString::fromLatin1(kWireTexts[i]));
        wireGroup->addButton(radio, i);
        wires->addWidget(radio);
    }
    for (int i = 0; i < 6; ++i) {
        auto* radio = new QRadioButton(QString::fromLatin1(kRateTexts[i]));
        rateGroup->addButton(radio, i);
        rates->addWidget(radio);
    }
    wires->addStretch();
    rates->addStretch();
    layout->addLayout(wires);
    layout->addLayout(rates);
    wire_[std::size_t(channel)] = wireGroup;
    rate_[std::size_t(channel)] = rateGroup;
    connect(wireGroup, &QButtonGroup::idClicked, this, [this, channel](int id) { wireTypeChosen(channel, id); });
    connect(rateGroup, &QButtonGroup::idClicked, this, [this, channel](int id) { bitRateChosen(channel, id); });
    return group;
}

void CSettingDlg::wireTypeChosen(int channel, int wireType)
{
    ChannelSetting& setting = app_.deviceSettings().channels[std::size_t(channel)];
    setting.wireType = wireType;
    applyAllowedCombination(setting);
    showSettings();
}

void CSettingDlg::bitRateChosen(int channel, int index)
{
    ChannelSetting& setting = app_.deviceSettings().channels[std::size_t(channel)];
    if (index >= 0 && index < int(kBitRates.size()) && isBitRateSelectable(setting.wireType, kBitRates[std::size_t(index)]))
        setting.bitRate = kBitRates[std::size_t(index)];
    showSettings();
}

void CSettingDlg::showSettings()
{
    for (int channel = 0; channel < 2; ++channel) {
        const ChannelSetting& setting = app_.deviceSettings().channels[std::size_t(channel)];
        if (QAbstractButton* wire = wire_[std::size_t(channel)]->button(setting.wireType))
            wire->setChecked(true);
        for (int i = 0; i < int(kBitRates.size()); ++i) {
            QAbstractButton* rate = rate_[std::size_t(channel)]->button(i);
            rate->setEnabled(isBitRateSelectable(setting.wireType, kBitRates[std::size_t(i)]));
            if (bitRateIndex(setting.bitRate) == i)
                rate->setChecked(true);
        }
    }
    folder_->setText(QString::fromStdString(app_.logSettings().folder));
    if (QAbstractButton* size = size_->button(app_.logSettings().sizeChoice))
        size->setChecked(true);
}

void CSettingDlg::refreshDeviceButtons()
{
    const bool connected = app_.isConnected();
    get_->setEnabled(connected);
    set_->setEnabled(connected);
    const bool logEditable = !app_.logSettingsLocked();
    folder_->setEnabled(logEditable);
    change_->setEnabled(logEditable);
    for (QAbstractButton* radio : size_->buttons())
        radio->setEnabled(logEditable);
}

void CSettingDlg::getDevSetting()
{
    runDeviceOperation(this, QStringLiteral("Get Dev Setting"),
                       [this](const OperationProgress&) { return app_.readDeviceSettings(); });
    showSettings();
}

void CSettingDlg::setDevSetting()
{
    runDeviceOperation(this, QStringLiteral("Set Dev Setting"),
                       [this](const OperationProgress&) { return app_.writeDeviceSettings(); });
}

void CSettingDlg::updateFirmware()
{
    const std::string path = app_.chooseFirmwareImage();
    if (path.empty())
        return;
    runDeviceOperation(this, QStringLiteral("Update KIV-2XX"), [this, &path](const OperationProgress& progress) {
        return app_.updateFirmware(path, progress);
    });
}

} // namespace kivplus
