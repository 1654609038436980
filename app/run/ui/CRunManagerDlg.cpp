#include "run/ui/CRunManagerDlg.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kivplus {

CRunManagerDlg::CRunManagerDlg(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Run Manager"));
    auto* text = new QLabel(windowTitle());
    text->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    resize(480, 320);
}

} // namespace kivplus
