// nimbrell-scene compile IN.txt OUT.bin | decompile IN.bin OUT.txt

#include "tools/scene/SceneTool.h"

#include <cstdio>
#include <cstring>
#include <exception>

int main(int argc, char** argv)
{
    if (argc != 4 || (std::strcmp(argv[1], "compile") != 0 && std::strcmp(argv[1], "decompile") != 0)) {
        std::fprintf(stderr, "usage: nimbrell-scene compile IN.txt OUT.bin\n"
                             "       nimbrell-scene decompile IN.bin OUT.txt\n");
        return 2;
    }
    try {
        nimbrell::tools::RegisterAllSceneClasses();
        if (std::strcmp(argv[1], "compile") == 0)
            nimbrell::tools::CompileScene(argv[2], argv[3]);
        else
            nimbrell::tools::DecompileScene(argv[2], argv[3]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
