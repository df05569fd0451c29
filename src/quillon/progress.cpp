// Progress reports for long reads, shown only on a terminal.
#include "quillon.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include <unistd.h>

namespace {

double seconds_now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

void initialize_progress_report(progress_struct *report, bool one_line,
                                int n_steps, const char *title)
{
    report->one_line = one_line;
    report->n_steps = n_steps > 0 ? n_steps : 1;
    report->last_percent = -1;
    report->last_print = seconds_now();
    report->shown = false;
    std::snprintf(report->title, sizeof report->title, "%s", title ? title : "");
}

void update_progress_report(progress_struct *report, int step)
{
    if (!isatty(STDERR_FILENO))
        return;
    double now = seconds_now();
    if (now - report->last_print < 0.25)
        return;
    int percent = int(100.0 * double(std::clamp(step, 0, report->n_steps)) /
                      double(report->n_steps));
    if (percent == report->last_percent)
        return;
    std::fprintf(stderr, "\r%s: %3d%%", report->title, percent);
    std::fflush(stderr);
    report->last_percent = percent;
    report->last_print = now;
    report->shown = true;
}

void terminate_progress_report(progress_struct *report)
{
    if (report->shown && isatty(STDERR_FILENO)) {
        std::fprintf(stderr, "\r%s: 100%%\n", report->title);
        std::fflush(stderr);
    }
    report->shown = false;
}
