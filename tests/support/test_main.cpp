// The main function of every test program: GoogleTest's, run inside the
// program's own sandbox of user folders (test_sandbox.h).
#include "platform/user_folders.h"
#include "support/test_sandbox.h"

#include <gtest/gtest.h>

// Leaks inside the system's font library, which it makes when it builds its
// cache anew (as it does in a sandbox's empty cache folder), are not ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

int main(int argc, char** argv) {
    // Before the sandbox changes the current folder: GoogleTest keeps it for
    // the report files it is asked to write.
    ::testing::InitGoogleTest(&argc, argv);
    const test_support::TTestSandbox sandbox;
    // What falls back from TMPDIR to the system's temporary folder stays in the sandbox too.
    platform::SetSystemTemporaryFolder(sandbox.SystemTemporary());
    return RUN_ALL_TESTS();
}
