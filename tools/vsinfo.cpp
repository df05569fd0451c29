// vsinfo FILE: the shape of a vertex-statistics file, its column names and
// the structure of its header.
#include "zelVertstatsFile.h"

#include <iostream>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " FILE" << std::endl;
        return 2;
    }
    zelVertstatsFile file(argv[1], true);
    std::cout << "columns: " << file.getNumColumns() << "\n";
    std::cout << "rows: " << file.getNumRows() << "\n";
    for (const std::string& name : file.getDataHeader())
        std::cout << name << "\n";
    std::cout.flush();
    file.printHeaderStructure();
    return 0;
}
