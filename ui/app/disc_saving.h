// What the windows do with a drive's writes that are not yet in its image
// file, when the image is about to go (its unmount, the program's end): save
// it, and when that fails ask the user until the writes are saved somewhere or
// knowingly discarded. When the program must end without asking (a signal),
// what is left goes to the rescue folder.
#pragma once

#include <string>
#include <vector>

class QWidget;
class TDskHandler;
class TQJ47R;

enum class TDriveSettlement {
    Saved,      // in its file or, after Save As, in another one the drive now names
    Discarded,  // the user chose to drop the writes
    Kept,       // the user cancelled: the image stays mounted (only where allowed)
    Unanswered, // the program is ending without asking: nothing was decided
};

// From now on the program ends without windows to ask (a signal, or an exit
// past them): questions go unanswered and unsaved images are rescued.
void EndWithoutQuestions();
// For tests: questions may be asked again.
void AllowQuestionsAgain();

// Saves the drive's modified image. A failed save asks "Retry", "Save As...",
// "Discard" (and "Cancel" where mayKeep); a file another program changed asks
// "Overwrite", "Save As...", "Discard" (and "Cancel"). Nothing happens to an
// image without unsaved writes (Saved).
TDriveSettlement SettleDrive(QWidget* parent, TDskHandler& fdc, int drive, bool mayKeep);

// The program's end: every drive settled (each image saved or knowingly
// discarded, or, without questions, rescued) and dropped, then the settings
// written (a failure shown in a message box, or without questions on stderr).
// Returns the program's exit status: 0, or 1 when an image had to be rescued
// or the settings could not be written without a window to say so (the
// reasons are on stderr).
int SaveBeforeExit(QWidget* parent, TQJ47R& machine);

// The user is told at the next start which images an earlier run rescued.
void ShowEarlierRescues(QWidget* parent);
