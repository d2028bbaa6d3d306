// The memory map: data reads and writes, fetches and pushes at every boundary
// of every configuration of IPL mode, RAM expansion, video window and planes.
#include "board_test_support.h"

#include <vector>

namespace {

using board_test::Rig;

enum class To { Ram, Rom, None, Text, NoText, Gfx1, Gfx2, NoGfx };

// From `start` up to the next segment's start, address a reaches `to` at
// offset a + delta.
struct Segment {
    int Start;
    To Target;
    int Delta = 0;
};

struct Config {
    const char* Name;
    bool Ipl, Expansion, Window, Low, Plane2, Fitted1, Fitted2;
    std::vector<Segment> Data;
};

// clang-format off
const std::vector<Segment> NormalCode = {{0x0000, To::Ram, 0}};
const std::vector<Segment> IplCode = {{0x0000, To::Rom}, {0x0800, To::Ram, 0x8000}, {0x8000, To::Ram, -0x8000}};

const Config Configs[] = {
    {"normal, no expansion", false, false, false, false, false, true, true,
     {{0x0000, To::Ram}, {0x8000, To::None}}},
    {"normal, expansion", false, true, false, false, false, true, true, {{0x0000, To::Ram}}},
    {"IPL, no expansion", true, false, false, false, false, true, true,
     {{0x0000, To::Rom}, {0x0800, To::None}, {0x8000, To::Ram, -0x8000}}},
    {"IPL, expansion", true, true, false, false, false, true, true,
     {{0x0000, To::Rom}, {0x0800, To::Ram, 0x8000}, {0x8000, To::Ram, -0x8000}}},
    {"window high, plane I", false, true, true, false, false, true, true,
     {{0x0000, To::Ram}, {0xD000, To::Text, -0xD000}, {0xD800, To::NoText}, {0xE000, To::Gfx1, -0xE000}}},
    {"window low, plane II", false, false, true, true, true, true, true,
     {{0x0000, To::Ram}, {0x5000, To::Text, -0x5000}, {0x5800, To::NoText}, {0x6000, To::Gfx2, -0x6000},
      {0x8000, To::None}}},
    {"window high, plane I not fitted", false, true, true, false, false, false, true,
     {{0x0000, To::Ram}, {0xD000, To::Text, -0xD000}, {0xD800, To::NoText}, {0xE000, To::NoGfx}}},
    {"window low, plane II not fitted, IPL", true, true, true, true, true, true, false,
     {{0x0000, To::Rom}, {0x0800, To::Ram, 0x8000}, {0x5000, To::Text, -0x5000}, {0x5800, To::NoText},
      {0x6000, To::NoGfx}, {0x8000, To::Ram, -0x8000}}},
};
// clang-format on

struct Snapshot {
    std::vector<std::uint8_t> Ram{MainRam, MainRam + sizeof MainRam}, Rom{IplRom, IplRom + sizeof IplRom},
        Text{TextVram, TextVram + sizeof TextVram}, G1{GraphicsRam1, GraphicsRam1 + sizeof GraphicsRam1},
        G2{GraphicsRam2, GraphicsRam2 + sizeof GraphicsRam2};
    bool operator==(const Snapshot&) const = default;
};

std::uint8_t Marker(int i, int salt) { return std::uint8_t(((i * 7 + (i >> 8) * 13 + salt) & 0x7F) | 0x01); }

void FillMarkers() {
    for (int i = 0; i < 65536; ++i)
        MainRam[i] = Marker(i, 0);
    for (int i = 0; i < 2048; ++i)
        IplRom[i] = Marker(i, 1), TextVram[i] = Marker(i, 2);
    for (int i = 0; i < 8192; ++i)
        GraphicsRam1[i] = Marker(i, 3), GraphicsRam2[i] = Marker(i, 4);
}

// Where a data or code access of a reaches, per the segments: the byte it
// reads and where a write of v lands in the snapshot.
struct Expect {
    int Read;
    std::uint8_t* Cell; // null: the write is dropped
    std::uint8_t Stored;
};

Expect Resolve(const std::vector<Segment>& map, int a, std::uint8_t v, Snapshot& s) {
    const Segment* seg = &map.front();
    for (const Segment& g : map)
        if (a >= g.Start) seg = &g;
    const int o = a + seg->Delta;
    switch (seg->Target) {
    case To::Ram: return {s.Ram[o], &s.Ram[o], v};
    case To::Rom: return {s.Rom[a], nullptr, 0};
    case To::Text: return {s.Text[o], &s.Text[o], v};
    case To::Gfx1: return {s.G1[o], &s.G1[o], v};
    case To::Gfx2: return {s.G2[o], &s.G2[o], std::uint8_t(s.G2[o] | v)};
    default: return {0, nullptr, 0};
    }
}

std::vector<int> Boundaries(const std::vector<Segment>& a, const std::vector<Segment>& b) {
    std::vector<int> out = {0xFFFF};
    for (const auto* map : {&a, &b})
        for (const Segment& g : *map) {
            out.push_back(g.Start);
            out.push_back(g.Start + 1);
            if (g.Start > 0) out.push_back(g.Start - 1);
        }
    return out;
}

TEST(BoardMemory, MapOfEveryConfigurationAtItsBoundaries) {
    Rig rig;
    TQJ47R& m = rig.M();
    for (const Config& c : Configs) {
        SCOPED_TRACE(c.Name);
        board_test::Configure(m, c.Ipl, {c.Expansion, c.Fitted1, c.Fitted2, 0});
        m.WritePort(0xE8, (c.Window ? 0x80 : 0) | (c.Low ? 0x40 : 0)); // PIO A: the video window
        m.WritePort(0xF4, c.Plane2 ? 0x01 : 0x00);                     // graphics control: the plane
        const auto& code = c.Ipl ? IplCode : NormalCode;
        for (int a : Boundaries(c.Data, code)) {
            SCOPED_TRACE(testing::Message() << "address " << std::hex << a);
            const std::uint8_t v = 0x80 | std::uint8_t(a >> 4);
            struct Access {
                const char* Kind;
                const std::vector<Segment>& Map;
                int (TQJ47R::*Read)(int);
                void (TQJ47R::*Write)(int, int);
            };
            const Access accesses[] = {{"data", c.Data, &TQJ47R::ReadMem, &TQJ47R::WriteMem},
                                       {"code", code, &TQJ47R::FetchMem, &TQJ47R::PushMem}};
            for (const Access& acc : accesses) {
                SCOPED_TRACE(acc.Kind);
                FillMarkers();
                Snapshot want;
                const Expect e = Resolve(acc.Map, a, v, want);
                EXPECT_EQ((m.*acc.Read)(a), e.Read);
                (m.*acc.Write)(a, v);
                if (e.Cell) *e.Cell = e.Stored;
                EXPECT_TRUE(Snapshot{} == want) << "the write landed elsewhere";
            }
        }
    }
}

TEST(BoardMemory, StackReachesAbsentExpansionWhileDataDoesNot) {
    Rig rig;
    TQJ47R& m = rig.M();
    m.SetSettings({});
    // ld a,0x5a; ld (0x9000),a; ld hl,0x1234; ld sp,0x9002; push hl; ld a,(0x9000); ld b,a; pop de; halt
    rig.LoadProgram({0x3E, 0x5A, 0x32, 0x00, 0x90, 0x21, 0x34, 0x12, 0x31, 0x02, 0x90, 0xE5, 0x3A, 0x00, 0x90,
                     0x47, 0xD1, 0x76},
                    0x0100);
    rig.RunSlices(1, 200);
    z80regs r;
    m.GetRegisters(&r);
    EXPECT_EQ(MainRam[0x9000], 0x34); // the push stored, the data write before it was dropped
    EXPECT_EQ((r.BC >> 8) & 0xFF, 0); // a data read of absent RAM gives 0
    EXPECT_EQ(r.DE & 0xFFFF, 0x1234); // the pop read it back
}

TEST(BoardMemory, PlaneTwoOnlyGainsBitsAndUnmappedWindowIsPlainMemory) {
    Rig rig;
    TQJ47R& m = rig.M();
    board_test::Configure(m, false, {1, 1, 1, 0});
    m.WritePort(0xE8, 0x80); // window mapped high
    m.WritePort(0xF4, 0x01); // plane II selected
    m.WriteMem(0xE010, 0x0F);
    m.WriteMem(0xE010, 0xF0);
    EXPECT_EQ(GraphicsRam2[0x10], 0xFF);
    EXPECT_EQ(m.ReadMem(0xE010), 0xFF);
    EXPECT_EQ(m.FetchMem(0xE010), MainRam[0xE010]);
    // Neither plane selected (as after a reset): reads 0, nothing stored.
    m.Reset();
    m.WritePort(0xE8, 0x80);
    m.WriteMem(0xE011, 0x55);
    EXPECT_EQ(GraphicsRam1[0x11] | GraphicsRam2[0x11], 0);
    EXPECT_EQ(m.ReadMem(0xE011), 0);
    m.WritePort(0xE8, 0x00);
    m.WriteMem(0xD000, 0x77);
    EXPECT_EQ(MainRam[0xD000], 0x77);
    EXPECT_EQ(TextVram[0], 0);
}

} // namespace
