#include "shell/ui/QtUserPrompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QThread>

namespace kivplus {

namespace {

const QString kCaption = QStringLiteral("KIV Raze");

// Runs work on the user-interface thread and returns its result.
template <typename Work>
auto onUiThread(Work work) -> decltype(work())
{
    if (QThread::currentThread() == qApp->thread())
        return work();
    decltype(work()) result{};
    QMetaObject::invokeMethod(qApp, [&] { result = work(); }, Qt::BlockingQueuedConnection);
    return result;
}

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

void QtUserPrompt::information(const std::string& text)
{
    onUiThread([&] { return QMessageBox::information(parent_, kCaption, q(text)); });
}

void QtUserPrompt::error(const std::string& text)
{
    onUiThread([&] { return QMessageBox::critical(parent_, kCaption, q(text)); });
}

UserPrompt::Answer QtUserPrompt::question(const std::string& text)
{
    return onUiThread([&] {
        return QMessageBox::question(parent_, kCaption, q(text), QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes
                   ? Answer::Yes
                   : Answer::No;
    });
}

std::string QtUserPrompt::chooseOpenFile(const std::string& title, const std::string& filter)
{
    return chooseOpenFileIn(title, filter, {});
}

std::string QtUserPrompt::chooseOpenFileIn(const std::string& title, const std::string& filter,
                                           const std::string& folder)
{
    return onUiThread([&] {
        return QFileDialog::getOpenFileName(parent_, q(title), q(folder), q(filter)).toStdString();
    });
}

std::string QtUserPrompt::chooseSaveFile(const std::string& title, const std::string& filter,
                                         const std::string& suggestedName)
{
    return onUiThread([&] {
        return QFileDialog::getSaveFileName(parent_, q(title), q(suggestedName), q(filter)).toStdString();
    });
}

std::string QtUserPrompt::chooseFolder(const std::string& title, const std::string& start)
{
    return onUiThread([&] {
        return QFileDialog::getExistingDirectory(parent_, q(title), q(start), QFileDialog::ShowDirsOnly)
            .toStdString();
    });
}

void QtUserPrompt::setBusy(bool busy)
{
    onUiThread([busy] {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
        return 0;
    });
}

} // namespace kivplus
