// The rescue folder: where the machine's copy of a disc image goes when it
// could not be written back and no window can ask the user what to do. It is
// $XDG_STATE_HOME/qj47r/rescued (default ~/.local/state/qj47r/rescued). Each
// copy keeps the image's own name with the time added ("games-20261211-040212.dsk"),
// and is listed for the next start of the program, which shows the list once.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// $XDG_STATE_HOME when it is an absolute path, else ~/.local/state.
std::string UserStateFolder();
std::string RescueFolder();

// Writes the bytes into the rescue folder under a fresh name made from
// imageName and the current time, records it in the list of rescues not yet
// shown, and returns its path. EFCreateError when it cannot be written.
std::string RescueCopy(const std::string& imageName, const void* data, std::size_t size);

// The rescued files not yet shown to the user, oldest first; the list is
// emptied (the files stay).
std::vector<std::string> TakeUnreportedRescues();

} // namespace platform
