// The disc manager's globals: its one disc image and its two windows.
#pragma once

#include "machine/disc/virtual_dsk.h"

class TDiscForm;
class THexForm;

// Built at start-up, dropped unsaved at shutdown; the disc manager never writes it.
extern TVirtualDsk VirtualDisk;

// Set when the program creates its windows.
extern TDiscForm* DiscForm;
extern THexForm* HexForm;
