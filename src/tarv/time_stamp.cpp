#include "time_stamp.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

char* time_stamp(int argc, const char* const argv[]) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    char when[64] = "";
    if (localtime_r(&now, &local))
        std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &local);

    std::string text = when;
    text += ">>>";
    for (int i = 0; argv && i < argc && argv[i]; ++i) {
        text += ' ';
        text += argv[i];
    }
    text += '\n';

    char* result = static_cast<char*>(std::malloc(text.size() + 1));
    if (result)
        std::memcpy(result, text.c_str(), text.size() + 1);
    return result;
}
