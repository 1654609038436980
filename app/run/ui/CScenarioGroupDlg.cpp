#include "run/ui/CScenarioGroupDlg.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kivplus {

CScenarioGroupDlg::CScenarioGroupDlg(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Scenario Group"));
    auto* text = new QLabel(windowTitle());
    text->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    resize(480, 320);
}

} // namespace kivplus
