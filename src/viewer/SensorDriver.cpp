#include "SensorDriver.h"

#include <Inventor/SbTime.h>
#include <Inventor/SoDB.h>
#include <Inventor/sensors/SoSensorManager.h>

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace gyroview {

namespace {
SensorDriver* theDriver = nullptr;
}

void SensorDriver::install()
{
    if (theDriver)
        return;
    theDriver = new SensorDriver;
    SoDB::getSensorManager()->setChangedCallback(&SensorDriver::queueChanged, theDriver);
    theDriver->reschedule();
}

void SensorDriver::uninstall()
{
    if (!theDriver)
        return;
    SoDB::getSensorManager()->setChangedCallback(nullptr, nullptr);
    SensorDriver* driver = theDriver;
    theDriver = nullptr;
    // Called from inside one of its own timer slots (a view deleted by a
    // sensor), the driver must outlive that slot.
    if (driver->processing) {
        driver->timerQueue.stop();
        driver->delayQueue.stop();
        driver->deleteLater();
    } else {
        delete driver;
    }
}

void SensorDriver::poke()
{
    if (theDriver)
        theDriver->reschedule();
}

SensorDriver::SensorDriver()
{
    timerQueue.setSingleShot(true);
    delayQueue.setSingleShot(true);
    connect(&timerQueue, &QTimer::timeout, this, &SensorDriver::processTimers);
    connect(&delayQueue, &QTimer::timeout, this, &SensorDriver::processDelayed);
}

void SensorDriver::queueChanged(void* data)
{
    static_cast<SensorDriver*>(data)->reschedule();
}

void SensorDriver::reschedule()
{
    // Coin calls back while we process its queues; reschedule once at the end.
    // Before the application object exists there is no loop to run timers:
    // the first view pokes the driver. A driver uninstalled from inside its
    // own slot schedules nothing more.
    if (processing || this != theDriver || !QCoreApplication::instance())
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
