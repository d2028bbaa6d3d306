// What in a mounted disc image is not as a well-formed Extended DSK image has
// it: the signatures of the disc header and of the track blocks (an image in
// the standard DSK layout among them: its tracks are not read), a file shorter
// than its header, more records than there are slots, records and sectors that
// run past the end of the file or of their record. A damaged image still
// mounts and is read as far as it goes; both programs tell the user these
// findings.
#pragma once

#include "machine/disc/virtual_dsk.h"

#include <string>
#include <vector>

// Whom the findings speak for: the emulated machine, which reads the image
// mounted in a drive, or the disc manager, which shows the image it loaded.
enum class TDiscReader { Machine, DiscManager };

// One sentence per finding; empty for a well-formed image (or none mounted).
std::vector<std::string> DamageReport(const TVirtualDsk& disk, TDiscReader reader);

// The findings as one message: the opening line, then at most a dozen findings
// and how many more there are. Empty when there are none.
std::string DamageMessage(const std::string& opening, const std::vector<std::string>& faults);
