#include "run/ui/CPanelDlg.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kivplus {

CPanelDlg::CPanelDlg(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Panel"));
    auto* text = new QLabel(windowTitle());
    text->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    resize(480, 320);
}

} // namespace kivplus
