#include "disc_manager/disc_manager_globals.h"

TVirtualDsk VirtualDisk;
TDiscForm* DiscForm = nullptr;
THexForm* HexForm = nullptr;
