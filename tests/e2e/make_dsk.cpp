// Writes the disc image the end-to-end tests load: 2 tracks, 1 side, 9 sectors of 512 bytes.
#include "fixtures/dsk_builder.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s image.dsk\n", argv[0]);
        return 2;
    }
    fixtures::DskBuilder().Creator("E2E FIXTURE").Uniform(2, 1, 9, 2).Save(argv[1]);
    return 0;
}
