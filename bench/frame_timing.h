// What the timing programs that turn a view share: a frame's wall and CPU
// time, the process's CPU clock, a median, and the examiner's turn.
#pragma once

#include <Inventor/SbRotation.h>
#include <Inventor/nodes/SoCamera.h>

#include <algorithm>
#include <ctime>
#include <vector>

namespace bench {

struct Frame {
    double wall = 0;
    double cpu = 0;
};

inline double cpuMs()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Turns the camera about the point it looks at, as the examiner does.
inline void orbit(SoCamera* camera, float angle)
{
    const SbRotation before = camera->orientation.getValue();
    SbVec3f dir;
    before.multVec(SbVec3f(0, 0, -1), dir);
    const SbVec3f focus = camera->position.getValue() + dir * camera->focalDistance.getValue();
    const SbRotation after = SbRotation(SbVec3f(0, 1, 0), angle) * before;
    after.multVec(SbVec3f(0, 0, -1), dir);
    camera->orientation = after;
    camera->position = focus - dir * camera->focalDistance.getValue();
}

}  // namespace bench
