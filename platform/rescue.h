// The rescue folder: where the machine's copy of a disc image goes when it
// could not be written back and no window can ask the user what to do. It is
// $XDG_STATE_HOME/qj47r/rescued (default ~/.local/state/qj47r/rescued); when
// that folder cannot take the copy (read-only, full, not there to be made),
// the copy goes to the private folder qj47r-rescued-UID in $TMPDIR, and when
// that cannot take it either, in /tmp. Each copy keeps the image's own name
// with the time added ("games-20261211-040212.dsk", then "-2", "-3" for names
// already taken, by this process or another); a name too long for the file
// system loses the end of its stem, never the time, the number or the
// extension. Each copy is listed for the next start of the program, which
// shows the list once.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// $XDG_STATE_HOME when it is an absolute path, else ~/.local/state; empty
// when no home folder is known.
std::string UserStateFolder();
// Empty when no home folder is known.
std::string RescueFolder();
// The places after the rescue folder, in turn: a folder of this user's own in
// each temporary folder (platform::TemporaryFolders()).
std::vector<std::string> TemporaryRescueFolders();
// The first of them.
std::string TemporaryRescueFolder();

// The name of a copy of the image imageName (a file name or a path) rescued at
// time (a "YYYYMMDD-HHMMSS" text), as the attempt-th choice (1, then -2, -3),
// of at most maxBytes bytes.
std::string RescueName(const std::string& imageName, const std::string& time, int attempt,
                       std::size_t maxBytes);

// Where a copy went, and the places that could not take it.
struct TRescueResult {
    std::string Path;                  // the copy; empty when no place took it
    bool InTemporaryFolder = false;    // Path lies in a temporary folder
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
    bool Gone = false; // the copy is no longer there (deleted, moved, or emptied from /tmp)

    bool operator==(const TRescueNote&) const = default;
};

// The rescued copies not yet shown to the user, oldest first in each place,
// each told whether it is still there; the lists are emptied (the copies stay).
std::vector<TRescueNote> TakeUnreportedRescues();

} // namespace platform
