#pragma once
#include "machine/ppi8255.h"
#include "machine/z80pio.h"
#include "machine/t8253.h"
#include "machine/dsk_handler.h"
#include "machine/varnel_cmt.h"
