#ifndef ZEL_VERTSTATS_HEADER_ENTRY_H
#define ZEL_VERTSTATS_HEADER_ENTRY_H

#include <string>

// One element of a vertstats header: its tag name and its text lines, each
// followed by a line feed (empty when the element holds no text of its own).
struct zelVertstatsHeaderEntry {
    std::string name;
    std::string value;

    friend bool operator==(const zelVertstatsHeaderEntry&, const zelVertstatsHeaderEntry&) = default;
};

#endif
