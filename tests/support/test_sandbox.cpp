#include "support/test_sandbox.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace test_support {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "test sandbox: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(2);
}

void MakeFolder(const std::string& path, mode_t mode = 0711) {
    if (::mkdir(path.c_str(), mode) != 0 || ::chmod(path.c_str(), mode) != 0) Fail("cannot make " + path);
}

void Set(const char* name, const std::string& value) {
    if (::setenv(name, value.c_str(), 1) != 0) Fail(std::string("cannot set ") + name);
}

} // namespace

std::string SandboxBase() {
    const char* tmp = std::getenv("TMPDIR");
    struct stat st {};
    if (tmp && *tmp == '/' && ::stat(tmp, &st) == 0 && S_ISDIR(st.st_mode) && ::access(tmp, W_OK | X_OK) == 0)
        return tmp;
    return "/tmp";
}

TTestSandbox::TTestSandbox() {
    std::string pattern = SandboxBase() + "/qj47r-test-run-XXXXXX";
    if (!::mkdtemp(pattern.data())) Fail("cannot make a folder in " + SandboxBase());
    RootFolder = pattern;
    if (::chmod(RootFolder.c_str(), 0711) != 0) Fail("cannot open " + RootFolder);

    const std::string home = RootFolder + "/home";
    for (const std::string& folder :
         {home, home + "/.config", home + "/.local", home + "/.local/state", home + "/.local/share",
          home + "/.cache", RootFolder + "/tmp", RootFolder + "/system-tmp", RootFolder + "/work"})
        MakeFolder(folder);
    MakeFolder(RootFolder + "/runtime", 0700); // as the XDG specification asks
    Set("HOME", home);
    Set("XDG_CONFIG_HOME", home + "/.config");
    Set("XDG_STATE_HOME", home + "/.local/state");
    Set("XDG_DATA_HOME", home + "/.local/share");
    Set("XDG_CACHE_HOME", home + "/.cache");
    Set("XDG_RUNTIME_DIR", RootFolder + "/runtime");
    Set("TMPDIR", RootFolder + "/tmp");
    if (::chdir((RootFolder + "/work").c_str()) != 0) Fail("cannot enter " + RootFolder + "/work");
}

TTestSandbox::~TTestSandbox() {
    // Tests may leave read-only folders behind: made writable to be removed.
    std::error_code ec;
    for (auto it =
             fs::recursive_directory_iterator(RootFolder, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        if (it->is_directory(ec) && !it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::permissions(RootFolder, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(RootFolder, ec);
}

} // namespace test_support
