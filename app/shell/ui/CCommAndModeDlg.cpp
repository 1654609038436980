#include "shell/ui/CCommAndModeDlg.h"

#include "shell/CKIVPlusApp.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kivplus {

void PortComboBox::showPopup()
{
    emit aboutToShowPopup();
    QComboBox::showPopup();
}

CCommAndModeDlg::CCommAndModeDlg(CKIVPlusApp& app, QWidget* parent)
    : QWidget(parent)
    , app_(app)
    , ports_(new PortComboBox)
    , disconnect_(new QPushButton(QStringLiteral("Disconnect")))
    , status_(new QLineEdit)
    , mode_(new QLineEdit)
{
    auto* group = new QGroupBox(QStringLiteral("Device Connect"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("PORT  :")), 0, 0);
    grid->addWidget(ports_, 0, 1);
    grid->addWidget(disconnect_, 0, 2);
    grid->addWidget(status_, 1, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("MODE  :")), 2, 0);
    grid->addWidget(mode_, 2, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    status_->setReadOnly(true);
    mode_->setReadOnly(true);
    ports_->setMinimumWidth(200);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addStretch();

    refreshPorts();
    if (ports_->count() > 0)
        ports_->setCurrentIndex(0);
    showStatus();
    showMode();

    connect(ports_, &PortComboBox::aboutToShowPopup, this, &CCommAndModeDlg::refreshPorts);
    connect(ports_, &QComboBox::activated, this, &CCommAndModeDlg::portChosen);
    connect(disconnect_, &QPushButton::clicked, this, [this] { app_.disconnectButton(); });
}

void CCommAndModeDlg::refreshPorts()
{
    const QSignalBlocker blocker(ports_);
    ports_->clear();
    for (const std::string& entry : app_.portEntries())
        ports_->addItem(QString::fromStdString(entry));
    const int current = ports_->findText(QString::fromStdString(app_.currentPort()));
    if (current >= 0)
        ports_->setCurrentIndex(current);
}

void CCommAndModeDlg::showMode()
{
    mode_->setText(QString::fromStdString(app_.modeText()));
}

void CCommAndModeDlg::showStatus()
{
    status_->setText(QString::fromStdString(app_.statusText()));
}

void CCommAndModeDlg::portChosen(int index)
{
    if (ports_->count() == 0)
        refreshPorts();
    if (index < 0 || index >= ports_->count())
        return;
    const std::string entry = ports_->itemText(index).toStdString();
    if (app_.isConnected() && entry == app_.currentPort())
        return;   // the same entry again is no change of selection
    app_.connectPort(entry);
    showStatus();
    emit connectionAttempted();
}

void CCommAndModeDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace kivplus
