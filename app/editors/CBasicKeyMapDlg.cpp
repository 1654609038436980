#include "editors/CBasicKeyMapDlg.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kivplus {

CBasicKeyMapDlg::CBasicKeyMapDlg(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Basic KeyMap"));
    auto* text = new QLabel(windowTitle());
    text->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    resize(480, 320);
}

} // namespace kivplus
