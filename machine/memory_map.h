// The processor's 64 KB as page tables: per 2 KB page, the bytes that a read
// and a write reach, for the data view (ReadMem, WriteMem) and the code view
// (FetchMem, PushMem). A page is RAM, ROM (writes dropped), unmapped (reads 0,
// writes dropped) or the board's (null: the video window, which draws).
#pragma once

#include <cstdint>

class TMemoryMap {
  public:
    static constexpr int PageBits = 11;
    static constexpr int PageSize = 1 << PageBits;
    static constexpr int PageMask = PageSize - 1;
    static constexpr int Pages = 0x10000 >> PageBits;

    struct TView {
        const std::uint8_t* Read[Pages];
        std::uint8_t* Write[Pages];
    };

    TView Data{}, Code{};

    static void MapRam(TView& view, int page, std::uint8_t* bytes) {
        view.Read[page] = bytes;
        view.Write[page] = bytes;
    }
    void MapRom(TView& view, int page, const std::uint8_t* bytes) {
        view.Read[page] = bytes;
        view.Write[page] = Discard;
    }
    void MapNothing(TView& view, int page) {
        view.Read[page] = Zeros;
        view.Write[page] = Discard;
    }
    static void MapToBoard(TView& view, int page) {
        view.Read[page] = nullptr;
        view.Write[page] = nullptr;
    }

  private:
    static const std::uint8_t Zeros[PageSize];
    std::uint8_t Discard[PageSize] = {}; // written, never read
};
