// Strings: plain NUL-terminated arrays from the checked allocator.
#include "quillon.h"

#include <cstring>
#include <string>

STRING create_string(const char *text)
{
    if (text == nullptr)
        text = "";
    std::size_t n = std::strlen(text) + 1;
    char *s = static_cast<char *>(alloc_memory_1d(n, 1, "quillon", __LINE__));
    if (s != nullptr)
        std::memcpy(s, text, n);
    return s;
}

void delete_string(STRING string)
{
    void *p = string;
    free_memory_1d(&p, "quillon", __LINE__);
}

STRING extract_directory(const char *name)
{
    if (name == nullptr)
        return create_string("");
    const char *slash = std::strrchr(name, '/');
    if (slash == nullptr)
        return create_string("");
    if (slash == name)
        return create_string("/");
    return create_string(std::string(name, slash).c_str());
}

STRING get_absolute_filename(const char *name, const char *directory)
{
    if (name == nullptr)
        name = "";
    if (name[0] == '/' || directory == nullptr || directory[0] == '\0')
        return create_string(name);
    std::string full = directory;
    if (full.back() != '/')
        full += '/';
    full += name;
    return create_string(full.c_str());
}
