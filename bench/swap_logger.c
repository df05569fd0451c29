/* Preloaded into a GL program: after each glXSwapBuffers returns, appends
 * one line to $SWAP_LOG: the wall clock (CLOCK_REALTIME, ns), the
 * process's CPU time (ms) and its peak resident memory (kB) at that moment.
 * The same logger serves gyrolux and VTK, so "first frame" means the same
 * in both: the first swap returned.
 *
 *   cc -O2 -shared -fPIC -o swap_logger.so swap_logger.c -ldl
 *   SWAP_LOG=/tmp/swaps LD_PRELOAD=./swap_logger.so program ...
 */
#define _GNU_SOURCE
#include <GL/glx.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>

typedef void (*swap_fn)(Display*, GLXDrawable);

static void log_swap(void)
{
    const char* path = getenv("SWAP_LOG");
    if (!path)
        return;
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    const double cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    FILE* out = fopen(path, "a");
    if (!out)
        return;
    fprintf(out, "%lld %.1f %ld\n", (long long)now.tv_sec * 1000000000LL + now.tv_nsec, cpu,
            usage.ru_maxrss);
    fclose(out);
}

void glXSwapBuffers(Display* display, GLXDrawable drawable)
{
    static swap_fn next = NULL;
    if (!next)
        next = (swap_fn)dlsym(RTLD_NEXT, "glXSwapBuffers");
    if (next)
        next(display, drawable);
    log_swap();
}
