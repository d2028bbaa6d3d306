// Writes the disc image the end-to-end tests load: 2 tracks, 1 side, 9 sectors
// of 512 bytes; with --standard, the same disc in the standard DSK layout.
//
//   e2e_make_dsk [--standard] image.dsk
#include "fixtures/dsk_builder.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    const bool standard = argc == 3 && std::strcmp(argv[1], "--standard") == 0;
    if (argc != 2 && !standard) {
        std::fprintf(stderr, "usage: %s [--standard] image.dsk\n", argv[0]);
        return 2;
    }
    fixtures::DskBuilder disc;
    if (standard) disc.Standard();
    disc.Creator("E2E FIXTURE").Uniform(2, 1, 9, 2).Save(argv[argc - 1]);
    return 0;
}
