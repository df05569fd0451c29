// History stamps for files that record how they were made.
#ifndef TARV_TIME_STAMP_H
#define TARV_TIME_STAMP_H

// Returns "YYYY-MM-DD hh:mm:ss>>> " in local time, then the first `argc`
// arguments separated by single spaces, then a line feed. The text is
// allocated with malloc; the caller releases it with free. Returns a null
// pointer only when memory runs out. A null entry of `argv` ends the list early.
char* time_stamp(int argc, const char* const argv[]);

#endif
