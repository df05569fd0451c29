// vsconv [--old-style] IN OUT: reads a vertex-statistics file of either style
// and writes it again, new style unless --old-style is given.
#include "zelVertstatsFile.h"

#include <cstring>
#include <iostream>
#include <string>

int main(int argc, char* argv[]) {
    bool oldStyle = false;
    int first = 1;
    if (argc > 1 && std::strcmp(argv[1], "--old-style") == 0) {
        oldStyle = true;
        first = 2;
    }
    if (argc - first != 2) {
        std::cerr << "usage: " << argv[0] << " [--old-style] IN OUT" << std::endl;
        return 2;
    }
    zelVertstatsFile file(argv[first], true);
    if (!file.writeFile(argv[first + 1], oldStyle)) {
        std::cerr << "ERROR: could not write file " << argv[first + 1] << std::endl;
        return 1;
    }
    return 0;
}
