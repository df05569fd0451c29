#pragma once
// Drives Coin's sensor queues from the Qt event loop: Coin tells us when its
// queues change, and two single-shot timers process the timer queue when its
// next sensor is due and the delay queue when Qt is otherwise idle.

#include <QObject>
#include <QTimer>

namespace gyroview {

class SensorDriver : public QObject {
    Q_OBJECT
public:
    // Installs the driver as Coin's sensor-queue callback; Coin must be started.
    static void install();
    // Takes the callback back from Coin and drops the timers; install() again
    // brings them back.
    static void uninstall();
    // Looks at the queues again; for callers that know Qt's loop now runs.
    static void poke();

private:
    SensorDriver();
    static void queueChanged(void* data);
    void reschedule();
    void processTimers();
    void processDelayed();

    QTimer timerQueue;
    QTimer delayQueue;
    bool processing = false;
};

}  // namespace gyroview
