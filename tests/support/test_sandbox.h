// The private folders a test program runs in. Made when the program starts,
// before its first case, and removed with everything in them when it ends:
// HOME, XDG_CONFIG_HOME, XDG_STATE_HOME, XDG_CACHE_HOME, XDG_DATA_HOME,
// XDG_RUNTIME_DIR and TMPDIR all name folders of its own, and its current
// folder is one too. Whatever the program or a library it runs writes to the
// user's folders lands there, so a test never reads, creates, changes or
// removes a file of the user's, and two runs share nothing, however they are
// started (from a shell, CTest or an IDE). Its folders may be entered by
// anyone who knows their names (cases run parts of themselves as another
// user), but only the program's user may list or change them.
#pragma once

#include <string>

namespace test_support {

class TTestSandbox {
  public:
    TTestSandbox();
    ~TTestSandbox();
    TTestSandbox(const TTestSandbox&) = delete;
    TTestSandbox& operator=(const TTestSandbox&) = delete;

    // The folder that holds the others.
    const std::string& Root() const { return RootFolder; }
    // A folder that stands in for the system's temporary folder, /tmp.
    std::string SystemTemporary() const { return RootFolder + "/system-tmp"; }

  private:
    std::string RootFolder;
};

// The folder the sandbox is made in: the caller's TMPDIR when it names a
// folder this user may write to, else /tmp.
std::string SandboxBase();

} // namespace test_support
