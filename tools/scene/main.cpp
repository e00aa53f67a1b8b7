// SPDX-License-Identifier: GPL-3.0-or-later
// nimbrell-scene compile IN.txt OUT.bin [--include-dir DIR]... | decompile IN.bin OUT.txt
//              | render IN.txt OUT.png [--size WxH] [--scale S] | show IN.txt
//              | images OUT.bin PICTURE...

#include "tools/scene/SceneTool.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: nimbrell-scene compile IN.txt OUT.bin [--include-dir DIR]...\n"
                         "       nimbrell-scene decompile IN.bin OUT.txt\n"
                         "       nimbrell-scene render IN.txt OUT.png [--size WxH] [--scale S]\n"
                         "       nimbrell-scene show IN.txt\n"
                         "       nimbrell-scene images OUT.bin PICTURE...\n");
    return 2;
}

bool ParseRenderOptions(int argc, char** argv, nimbrell::tools::RenderOptions& options)
{
    for (int i = 4; i < argc; i += 2) {
        if (i + 1 >= argc)
            return false;
        std::string value = argv[i + 1];
        if (std::strcmp(argv[i], "--size") == 0) {
            int w = 0, h = 0;
            char extra = 0;
            if (std::sscanf(value.c_str(), "%dx%d%c", &w, &h, &extra) != 2 || w <= 0 || h <= 0)
                return false;
            options.width = w;
            options.height = h;
        } else if (std::strcmp(argv[i], "--scale") == 0) {
            char* end = nullptr;
            options.scale = std::strtof(value.c_str(), &end);
            if (end == value.c_str() || *end != 0)
                return false;
        } else {
            return false;
        }
    }
    return true;
}

}

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "show") == 0) {
        try {
            nimbrell::tools::RegisterAllSceneClasses();
            nimbrell::tools::ShowScene(argv[2]);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s\n", error.what());
            return 1;
        }
        return 0;
    }
    if (argc < 4)
        return Usage();
    if (std::strcmp(argv[1], "images") == 0) {
        try {
            nimbrell::tools::RegisterAllSceneClasses();
            nimbrell::tools::WriteImageListBlock({ argv + 3, argv + argc }, argv[2]);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s\n", error.what());
            return 1;
        }
        return 0;
    }
    std::vector<std::filesystem::path> includeFolders;
    if (std::strcmp(argv[1], "compile") == 0) {
        for (int i = 4; i < argc; i += 2) {
            if (std::strcmp(argv[i], "--include-dir") != 0 || i + 1 >= argc)
                return Usage();
            includeFolders.emplace_back(argv[i + 1]);
        }
        argc = 4;
    }
    bool compile = std::strcmp(argv[1], "compile") == 0;
    bool decompile = std::strcmp(argv[1], "decompile") == 0;
    bool render = std::strcmp(argv[1], "render") == 0;
    nimbrell::tools::RenderOptions options;
    if ((!render && argc != 4) || (!compile && !decompile && !render) || (render && !ParseRenderOptions(argc, argv, options)))
        return Usage();
    try {
        nimbrell::tools::RegisterAllSceneClasses();
        if (compile)
            nimbrell::tools::CompileScene(argv[2], argv[3], includeFolders);
        else if (decompile)
            nimbrell::tools::DecompileScene(argv[2], argv[3]);
        else
            nimbrell::tools::RenderScene(argv[2], argv[3], options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
