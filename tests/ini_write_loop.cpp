// ini_write_loop FILE COUNT: sets [Transformadores] Transformado to 0 and 1 in turn, COUNT times
// (0: until killed), through the program's ini writer. Exit code 0, or 1 after a failure.

#include "platform/ini_file.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "Uso: ini_write_loop FICHERO VECES\n");
        return 2;
    }
    const long count = std::strtol(argv[2], nullptr, 10);
    try {
        for (long i = 0; count == 0 || i < count; ++i)
            platform::writeProfileString(argv[1], "Transformadores", "Transformado", i % 2 == 0 ? "0" : "1");
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    return 0;
}
