#pragma once

#include <QObject>
#include <QString>

namespace kivplus {

// Progress reports of the runners, emitted on their worker threads. Windows
// connect queued: a window that blocked on a runner's worker while the user
// interface thread stops and joins that worker (reload, remove, disconnect)
// would never be answered.
class RunNotifier : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    // A key started or ended; runnerKind is the sender kind of its runner
    // (0 key map, 1 ignition, 2 progressive).
    void runStarted(int runnerKind, const QString& keyName);
    void runEnded(int runnerKind, const QString& keyName);
    // A progressive sweep reversed at a limit (1 up, 2 down).
    void directionChanged(const QString& keyName, int direction);
    // passCount, phase or phaseMinutes of a running key changed.
    void statusChanged(int runnerKind, const QString& keyName);
    void groupStarted();
    void groupEnded();
};

} // namespace kivplus
