// The processor's execution loop compiled for the board: the memory map and
// the device tick are inlined into it (qj47r.h).
#include "cpu/z80exec.h"
#include "machine/qj47r.h"

template int z80cpu::Slice<TQJ47R>();
