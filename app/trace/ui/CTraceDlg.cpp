#include "trace/ui/CTraceDlg.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace kivplus {

CTraceDlg::CTraceDlg(const QString& title, QWidget* parent) : QWidget(parent), text_(new QLabel)
{
    setWindowTitle(title);
    text_->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    refreshPage();
}

void CTraceDlg::showLoadedLog()
{
    refreshPage();
    show();
    raise();
    activateWindow();
}

void CTraceDlg::refreshPage()
{
    text_->setText(QStringLiteral("%1\n%2 records").arg(windowTitle()).arg(view_.hasItems() ? view_.itemCount() : 0));
}

void CTraceDlg::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        emit activated();
    QWidget::changeEvent(event);
}

} // namespace kivplus
