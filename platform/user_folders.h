// The user's own folders, always as absolute paths: a program that started
// with HOME unset or relative still finds the user's home, in the password
// database, and never writes into whatever its working folder happens to be.
#pragma once

#include <string>
#include <vector>

namespace platform {

// $HOME when it is an absolute path, else the home of this user in the
// password database; empty when neither names one.
std::string UserHomeFolder();

// $variable when it is an absolute path (as the XDG base directories are
// defined), else underHome in the user's home; empty without a home.
std::string UserFolder(const char* variable, const char* underHome);

// The places for temporary files, in the order to try them: $TMPDIR when it
// is an absolute path, then the system's temporary folder (/tmp) where that
// is another folder.
std::vector<std::string> TemporaryFolders();

// The system's temporary folder: /tmp, or the folder given here (for tests,
// which must not reach the real one); empty puts /tmp back.
const std::string& SystemTemporaryFolder();
void SetSystemTemporaryFolder(const std::string& folder);

} // namespace platform
