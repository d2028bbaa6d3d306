// The rescue folder: where the machine's copy of a disc image goes when it
// could not be written back and no window can ask the user what to do. It is
// $XDG_STATE_HOME/qj47r/rescued (default ~/.local/state/qj47r/rescued); when
// that folder cannot take the copy (read-only, full, not there to be made),
// the copy goes to qj47r-rescued-UID in the system's temporary folder ($TMPDIR,
// default /tmp). Each copy keeps the image's own name with the time added
// ("games-20261211-040212.dsk", then "-2", "-3" for names already taken, by
// this process or another), and is listed for the next start of the program,
// which shows the list once.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// $XDG_STATE_HOME when it is an absolute path, else ~/.local/state.
std::string UserStateFolder();
std::string RescueFolder();
// The second place: a folder of this user's own in the system's temporary folder.
std::string TemporaryRescueFolder();

// Where a copy went, and the places that could not take it.
struct TRescueResult {
    std::string Path;                  // the copy; empty when no place took it
    bool InTemporaryFolder = false;    // Path lies in the second place
    std::vector<std::string> Refusals; // per place tried in vain: "FOLDER (REASON)"

    // For a message after the save's own failure: where the copy is, or that
    // the writes are lost and why.
    std::string Report() const;
};

// Writes the bytes under a fresh name made from imageName and the current time,
// in the rescue folder or else in the temporary one, and records it with the
// image's name in the list of rescues not yet shown. Never raises.
TRescueResult RescueCopy(const std::string& imageName, const void* data, std::size_t size);

// A rescued copy and the image it was rescued from.
struct TRescueNote {
    std::string Copy;
    std::string Image; // empty when the list did not say

    bool operator==(const TRescueNote&) const = default;
};

// The rescued copies not yet shown to the user, oldest first in each place; the
// lists are emptied (the copies stay).
std::vector<TRescueNote> TakeUnreportedRescues();

} // namespace platform
