// Messages: plain output, and errors that a caller may route elsewhere.
#include "quillon.h"

#include <cstdarg>
#include <cstdio>

namespace {

print_error_function error_function = nullptr;

} // namespace

void print(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
    std::fflush(stdout);
}

print_error_function set_print_error_function(print_error_function function)
{
    print_error_function previous = error_function;
    error_function = function;
    return previous;
}

void print_error(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    if (error_function != nullptr) {
        char text[1024];
        std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
        error_function(text);
        return;
    }
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fflush(stderr);
}

void handle_internal_error(const char *text)
{
    print_error("Internal error: %s\n", text);
}
