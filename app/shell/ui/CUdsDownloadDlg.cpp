#include "shell/ui/CUdsDownloadDlg.h"

#include "platform/UserPrompt.h"
#include "shell/CKIVPlusApp.h"
#include "shell/ShellTexts.h"
#include "shell/UdsParameters.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>

namespace kivplus {

namespace {

// The text fields in the window's order; Sequence Path is the last.
constexpr const char* kFieldLabels[] = {"N_SA",           "N_TA",      "N_TAType",    "N_AE",
                                        "Transfer Send ID", "Transfer Receive ID", "All Node Send Id", "WakeUp Send Id",
                                        "Vendor",         "CAN Channel", "FILE COUNT", "Sequence Path"};

std::array<std::string*, 12> fieldValues(UdsParameters& p)
{
    return {&p.sourceAddress,  &p.targetAddress,     &p.targetAddressType, &p.addressExtension,
            &p.transferSendId, &p.transferReceiveId, &p.allNodeSendId,     &p.wakeUpSendId,
            &p.vendor,         &p.canChannel,        &p.fileCount,         &p.sequencePath};
}

} // namespace

CUdsDownloadDlg::CUdsDownloadDlg(CKIVPlusApp& app, QWidget* parent) : QWidget(parent), app_(app)
{
    setWindowTitle(QStringLiteral("UDS Download"));
    auto* network = new QGroupBox(QStringLiteral("Network"));
    auto* grid = new QGridLayout(network);
    addressForm_ = new QComboBox;
    for (const char* format : kUdsAddressFormats)
        addressForm_->addItem(QString::fromLatin1(format));
    addressForm_->setCurrentIndex(0);
    for (std::size_t i = 0; i < fields_.size(); ++i)
        fields_[i] = new QLineEdit;
    // Two columns of label and field; Adress Form after N_TAType.
    int row = 0;
    auto addPair = [&](const QString& label, QWidget* widget, int column) {
        grid->addWidget(new QLabel(label), row, column * 2);
        grid->addWidget(widget, row, column * 2 + 1);
    };
    addPair(QStringLiteral("N_SA"), fields_[0], 0);
    addPair(QStringLiteral("Transfer Send ID"), fields_[4], 1);
    ++row;
    addPair(QStringLiteral("N_TA"), fields_[1], 0);
    addPair(QStringLiteral("Transfer Receive ID"), fields_[5], 1);
    ++row;
    addPair(QStringLiteral("N_TAType"), fields_[2], 0);
    addPair(QStringLiteral("All Node Send Id"), fields_[6], 1);
    ++row;
    addPair(QStringLiteral("Adress Form"), addressForm_, 0);
    addPair(QStringLiteral("WakeUp Send Id"), fields_[7], 1);
    ++row;
    addPair(QStringLiteral("N_AE"), fields_[3], 0);
    addPair(QStringLiteral("Vendor"), fields_[8], 1);
    ++row;
    addPair(QStringLiteral("FILE COUNT"), fields_[10], 0);
    addPair(QStringLiteral("CAN Channel"), fields_[9], 1);

    auto* filesGroup = new QGroupBox(QStringLiteral("Files"));
    auto* filesGrid = new QGridLayout(filesGroup);
    auto* sequenceBrowse = new QPushButton(QStringLiteral("Browse"));
    filesGrid->addWidget(new QLabel(QStringLiteral("Sequence Path")), 0, 0);
    filesGrid->addWidget(fields_[11], 0, 1);
    filesGrid->addWidget(sequenceBrowse, 0, 2);
    connect(sequenceBrowse, &QPushButton::clicked, this, [this] { browse(fields_[11], shelltext::kSequenceTitle); });
    for (std::size_t i = 0; i < files_.size(); ++i) {
        files_[i] = new QLineEdit;
        auto* browseButton = new QPushButton(QStringLiteral("Browse"));
        const int line = int(i) + 1;
        filesGrid->addWidget(new QLabel(QStringLiteral("FILE %1").arg(line)), line, 0);
        filesGrid->addWidget(files_[i], line, 1);
        filesGrid->addWidget(browseButton, line, 2);
        connect(browseButton, &QPushButton::clicked, this,
                [this, i] { browse(files_[i], shelltext::kDataFileTitle); });
    }

    start_ = new QPushButton(QStringLiteral("Start UDS Download"));
    stop_ = new QPushButton(QStringLiteral("Stop"));
    stop_->setEnabled(false);
    progress_ = new QProgressBar;
    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    state_ = new QLabel;
    auto* run = new QHBoxLayout;
    run->addWidget(start_);
    run->addWidget(stop_);
    run->addWidget(progress_, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(network);
    layout->addWidget(filesGroup);
    layout->addLayout(run);
    layout->addWidget(state_);

    for (QLineEdit* edit : fields_)
        connect(edit, &QLineEdit::textChanged, this, &CUdsDownloadDlg::storeToParameters);
    for (QLineEdit* edit : files_)
        connect(edit, &QLineEdit::textChanged, this, &CUdsDownloadDlg::storeToParameters);
    connect(addressForm_, &QComboBox::currentIndexChanged, this, &CUdsDownloadDlg::storeToParameters);
    connect(start_, &QPushButton::clicked, this, &CUdsDownloadDlg::startDownload);
    connect(stop_, &QPushButton::clicked, this, [this] {
        app_.stopUdsDownload();
        state_->setText(QString::fromUtf8(shelltext::kUdsStopped));
    });
    poll_.setInterval(100);
    connect(&poll_, &QTimer::timeout, this, &CUdsDownloadDlg::pollDownload);

    loadFromParameters();
}

QLineEdit* CUdsDownloadDlg::field(const char* label) const
{
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (std::strcmp(kFieldLabels[i], label) == 0)
            return fields_[i];
    return nullptr;
}

void CUdsDownloadDlg::loadFromParameters()
{
    UdsParameters parameters = app_.udsParameters();
    const auto values = fieldValues(parameters);
    for (std::size_t i = 0; i < fields_.size(); ++i)
        fields_[i]->setText(QString::fromStdString(*values[i]));
    for (std::size_t i = 0; i < files_.size(); ++i)
        files_[i]->setText(QString::fromStdString(parameters.files[i]));
    addressForm_->setCurrentIndex(parameters.addressFormat);
}

void CUdsDownloadDlg::storeToParameters()
{
    UdsParameters& parameters = app_.udsParameters();
    const auto values = fieldValues(parameters);
    for (std::size_t i = 0; i < fields_.size(); ++i)
        *values[i] = fields_[i]->text().toStdString();
    for (std::size_t i = 0; i < files_.size(); ++i)
        parameters.files[i] = files_[i]->text().toStdString();
    parameters.addressFormat = addressForm_->currentIndex();
}

void CUdsDownloadDlg::browse(QLineEdit* target, const char* title)
{
    const std::string path = app_.prompt().chooseOpenFile(title, std::string());
    if (!path.empty())
        target->setText(QString::fromStdString(path));
}

void CUdsDownloadDlg::startDownload()
{
    storeToParameters();
    if (!app_.startUdsDownload())
        return;
    start_->setEnabled(false);
    stop_->setEnabled(true);
    progress_->setRange(0, 0);
    state_->setText(QStringLiteral("UDS Download…"));
    poll_.start();
}

void CUdsDownloadDlg::pollDownload()
{
    if (app_.isUdsDownloadRunning())
        return;
    poll_.stop();
    app_.finishUdsDownload();
    start_->setEnabled(true);
    stop_->setEnabled(false);
    progress_->setRange(0, 1);
    progress_->setValue(1);
    if (state_->text() != QString::fromUtf8(shelltext::kUdsStopped))
        state_->setText(QString::fromUtf8(shelltext::kUdsFinished));
}

} // namespace kivplus
