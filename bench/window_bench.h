// What the benchmarks of the emulator's windows share: blank ROM images for a
// machine that runs a program of its own, and a main that starts the
// application (offscreen unless a platform is named) and the graphics library.
#pragma once

#include "fixtures/temp_dir.h"
#include "gfx/gfx.h"
#include "platform_qt/guarded.h"

#include <QtGlobal>
#include <benchmark/benchmark.h>
#include <fstream>
#include <string>

namespace window_bench {

// "ipl.BIN" and "qjfont.bin" of 2048 zero bytes in `folder`; returns the folder.
inline std::string BlankRoms(const fixtures::TempDir& folder) {
    for (const char* name : {"ipl.BIN", "qjfont.bin"})
        std::ofstream(folder.File(name), std::ios::binary) << std::string(2048, '\0');
    return folder.Path.string();
}

inline int Main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    platform_qt::GuardedApplication app(argc, argv);
    gfx::GfxInitialize();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gfx::GfxFinalize();
    return 0;
}

} // namespace window_bench
