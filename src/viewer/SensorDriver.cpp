#include "SensorDriver.h"

#include <Inventor/SbTime.h>
#include <Inventor/SoDB.h>
#include <Inventor/sensors/SoSensorManager.h>

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace gyroview {

void SensorDriver::install()
{
    static SensorDriver* driver = nullptr;
    if (driver)
        return;
    driver = new SensorDriver;
    SoDB::getSensorManager()->setChangedCallback(&SensorDriver::queueChanged, driver);
    driver->reschedule();
}

SensorDriver::SensorDriver()
{
    timerQueue.setSingleShot(true);
    delayQueue.setSingleShot(true);
    connect(&timerQueue, &QTimer::timeout, this, &SensorDriver::processTimers);
    connect(&delayQueue, &QTimer::timeout, this, &SensorDriver::processDelayed);
    // The driver lives as long as Coin; it follows the application's thread.
    if (QCoreApplication::instance())
        moveToThread(QCoreApplication::instance()->thread());
}

void SensorDriver::queueChanged(void* data)
{
    static_cast<SensorDriver*>(data)->reschedule();
}

void SensorDriver::reschedule()
{
    // Coin calls back while we process its queues; reschedule once at the end.
    if (processing)
        return;
    SoSensorManager* manager = SoDB::getSensorManager();

    SbTime due;
    if (manager->isTimerSensorPending(due)) {
        const double wait = (due - SbTime::getTimeOfDay()).getValue() * 1000.0;
        // Sensors already late run at the next turn of the loop, not in a loop of our own.
        const int ms = static_cast<int>(std::clamp(std::ceil(wait), 0.0, 24.0 * 3600.0 * 1000.0));
        if (!timerQueue.isActive() || timerQueue.remainingTime() > ms)
            timerQueue.start(ms);
    } else {
        timerQueue.stop();
    }

    if (manager->isDelaySensorPending()) {
        if (!delayQueue.isActive())
            delayQueue.start(0);
    } else {
        delayQueue.stop();
    }
}

void SensorDriver::processTimers()
{
    processing = true;
    SoDB::getSensorManager()->processTimerQueue();
    processing = false;
    reschedule();
}

void SensorDriver::processDelayed()
{
    processing = true;
    SoSensorManager* manager = SoDB::getSensorManager();
    manager->processTimerQueue();
    manager->processDelayQueue(TRUE);
    processing = false;
    reschedule();
}

}  // namespace gyroview
