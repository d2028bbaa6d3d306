// The fuzz seed writer, run into a fresh folder: each target's folder holds
// seeds of every kind its target reads, none of them empty, and nothing else.
#include "fixtures/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// The exit status of the program run with these arguments; -1 when it did not end by itself.
int ExitStatusOf(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

} // namespace

TEST(FuzzSeeds, EveryTargetGetsSeedsOfEachKindItReads) {
    const std::map<std::string, std::set<std::string>> kinds = {
        {"fuzz_virtual_dsk", {".dsk"}},
        {"fuzz_wav_decoder", {".wav"}},
        {"fuzz_bitmap_file", {".bmp"}},
        {"fuzz_program_image", {".qjf", ".bin"}},
    };
    const fixtures::TempDir dir;
    const fs::path root = dir.Path / "seeds";
    ASSERT_EQ(ExitStatusOf({QJ_WRITE_FUZZ_SEEDS, root.string(), QJ_FIXTURE_PROGRAM, QJ_FIXTURE_IPL}), 0);

    std::set<std::string> folders;
    for (const fs::directory_entry& folder : fs::directory_iterator(root))
        folders.insert(folder.path().filename().string());
    std::set<std::string> targets;
    for (const auto& [target, _] : kinds)
        targets.insert(target);
    EXPECT_EQ(folders, targets);

    for (const auto& [target, wanted] : kinds) {
        SCOPED_TRACE(target);
        std::map<std::string, int> found;
        for (const fs::directory_entry& seed : fs::directory_iterator(root / target)) {
            const std::string kind = seed.path().extension().string();
            EXPECT_TRUE(wanted.contains(kind)) << seed.path().filename() << " is not a seed its target reads";
            EXPECT_GT(seed.file_size(), 0u) << seed.path().filename();
            ++found[kind];
        }
        for (const std::string& kind : wanted)
            EXPECT_GT(found[kind], 0) << "no " << kind << " seed";
    }
}
