#include "shell/ui/DeviceOperation.h"

#include "shell/DeviceJob.h"

#include <QEventLoop>
#include <QProgressDialog>

#include <atomic>

namespace kivplus {

bool runDeviceOperation(QWidget* parent, const QString& label,
                        const std::function<bool(const OperationProgress& progress)>& operation)
{
    QProgressDialog dialog(label, QString(), 0, 0, parent);
    dialog.setWindowTitle(QStringLiteral("KIV Raze"));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setMinimumDuration(0);
    dialog.setCancelButton(nullptr);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);

    QEventLoop loop;
    std::atomic<bool> result{false};
    const OperationProgress progress = [&dialog](int done, int total) {
        QMetaObject::invokeMethod(
            &dialog,
            [&dialog, done, total] {
                dialog.setMaximum(total);
                dialog.setValue(done);
            },
            Qt::QueuedConnection);
    };
    DeviceJob job;
    job.start([&] { return operation(progress); },
              [&](bool succeeded) {
                  result.store(succeeded);
                  QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
              });
    dialog.show();
    loop.exec();
    job.wait();
    return result.load();
}

} // namespace kivplus
