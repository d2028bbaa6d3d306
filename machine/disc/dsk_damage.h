// What in a mounted disc image is not as a well-formed image has it: the
// signatures of the disc header and of the track blocks, a file shorter than
// its header, more records than there are slots, records and sectors that run
// past the end of the file or of their record. A damaged image still mounts
// and shows what it holds; both programs tell the user these findings.
#pragma once

#include "machine/disc/virtual_dsk.h"

#include <string>
#include <vector>

// One sentence per finding; empty for a well-formed image (or none mounted).
std::vector<std::string> DamageReport(const TVirtualDsk& disk);

// The findings as one message: the opening line, then at most a dozen findings
// and how many more there are. Empty when there are none.
std::string DamageMessage(const std::string& opening, const std::vector<std::string>& faults);
