// libs: cpu
// Emulated T-states per second of the Z80 core on one host core: an endless
// loop over ALU operations on registers, memory and (IX+d)/(IY+d), loads,
// 16-bit arithmetic, rotates, CB bit operations, calls and returns, block
// moves and block compares, against a plain 64 KB memory host. RunWorkload
// runs the loop compiled for the host's final class; RunWorkloadVirtual the
// one every other host runs, through the virtual operations.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>

#include "cpu/z80exec.h"

namespace {

// Assembled with z80asm; address and source of each instruction on its right.
// clang-format off
constexpr uint8_t kProgram[] = {
    0x31, 0x00, 0xF0,           // 0000  ld sp,0xf000
    0x06, 0x00,                 // 0003  outer:  ld b,0
    0x21, 0x00, 0x80,           // 0005  ld hl,data
    0xDD, 0x21, 0x00, 0x80,     // 0008  ld ix,data
    0xFD, 0x21, 0x80, 0x80,     // 000C  ld iy,data+128
    0x11, 0x34, 0x12,           // 0010  ld de,0x1234
    0x7E,                       // 0013  inner:  ld a,(hl)
    0x80,                       // 0014  add a,b
    0xDD, 0x8E, 0x01,           // 0015  adc a,(ix+1)
    0x91,                       // 0018  sub c
    0xFD, 0x9E, 0x02,           // 0019  sbc a,(iy+2)
    0xE6, 0x7F,                 // 001C  and 0x7f
    0xB3,                       // 001E  or e
    0xAA,                       // 001F  xor d
    0xBE,                       // 0020  cp (hl)
    0x27,                       // 0021  daa
    0x4F,                       // 0022  ld c,a
    0x34,                       // 0023  inc (hl)
    0x1D,                       // 0024  dec e
    0x07,                       // 0025  rlca
    0xCB, 0x19,                 // 0026  rr c
    0xCB, 0x22,                 // 0028  sla d
    0xCB, 0x3B,                 // 002A  srl e
    0xCB, 0x5F,                 // 002C  bit 3,a
    0xDD, 0xCB, 0x03, 0xCE,     // 002E  set 1,(ix+3)
    0xFD, 0xCB, 0x04, 0x96,     // 0032  res 2,(iy+4)
    0xDD, 0x5E, 0x05,           // 0036  ld e,(ix+5)
    0xFD, 0x77, 0x06,           // 0039  ld (iy+6),a
    0x20, 0x02,                 // 003C  jr nz,skip
    0xED, 0x44,                 // 003E  neg
    0xC5,                       // 0040  skip:   push bc
    0xE5,                       // 0041  push hl
    0x19,                       // 0042  add hl,de
    0xED, 0x4A,                 // 0043  adc hl,bc
    0xED, 0x52,                 // 0045  sbc hl,de
    0x22, 0x2C, 0x81,           // 0047  ld (data+300),hl
    0x13,                       // 004A  inc de
    0x0B,                       // 004B  dec bc
    0x7C,                       // 004C  ld a,h
    0x17,                       // 004D  rla
    0xE1,                       // 004E  pop hl
    0xC1,                       // 004F  pop bc
    0xCD, 0x77, 0x00,           // 0050  call sub1
    0x23,                       // 0053  inc hl
    0x10, 0xBD,                 // 0054  djnz inner
    0x21, 0x00, 0x80,           // 0056  ld hl,data
    0x11, 0x00, 0x81,           // 0059  ld de,data+256
    0x01, 0x80, 0x00,           // 005C  ld bc,128
    0xED, 0xB0,                 // 005F  ldir
    0x21, 0x00, 0x81,           // 0061  ld hl,data+256
    0x01, 0x40, 0x00,           // 0064  ld bc,64
    0x3E, 0x55,                 // 0067  ld a,0x55
    0xED, 0xB1,                 // 0069  cpir
    0x2A, 0x2C, 0x81,           // 006B  ld hl,(data+300)
    0xDD, 0x19,                 // 006E  add ix,de
    0xDD, 0x21, 0x00, 0x80,     // 0070  ld ix,data
    0xC3, 0x03, 0x00,           // 0074  jp outer
    0xD9,                       // 0077  sub1:   exx
    0x21, 0x90, 0x81,           // 0078  ld hl,data+400
    0x7E,                       // 007B  ld a,(hl)
    0x3C,                       // 007C  inc a
    0x77,                       // 007D  ld (hl),a
    0xE6, 0x03,                 // 007E  and 3
    0xD9,                       // 0080  exx
    0xC8,                       // 0081  ret z
    0x08,                       // 0082  ex af,af'
    0xED, 0x57,                 // 0083  ld a,i
    0x08,                       // 0085  ex af,af'
    0xC9,                       // 0086  ret
};
// clang-format on

class MemoryHost final : public z80cpu {
  public:
    uint8_t mem[65536] = {};

    explicit MemoryHost(bool ownLoop) {
        std::memcpy(mem, kProgram, sizeof kProgram);
        Reset();
        if (ownLoop) UseHostLoop<MemoryHost>();
    }

    int ReadPort(int) override { return 0xFF; }
    void WritePort(int, int) override {}
    int ReadMem(int address) override { return mem[address & 0xFFFF]; }
    void WriteMem(int address, int value) override { mem[address & 0xFFFF] = static_cast<uint8_t>(value); }
    int FetchMem(int address) override { return mem[address & 0xFFFF]; }
    void PushMem(int address, int value) override { mem[address & 0xFFFF] = static_cast<uint8_t>(value); }
    void HostTrap(z80regs*) override {}
    void OnReti() override {}
    void OnRetn() override {}
    bool CheckInterrupt(int) override { return false; }
    int GetInterruptVector() override { return -1; }
};

void Run(benchmark::State& state, bool ownLoop) {
    const int32_t slice = static_cast<int32_t>(state.range(0));
    MemoryHost cpu(ownLoop);
    cpu.SliceTStates = 0;
    int64_t executed = 0;
    for (auto _ : state) {
        cpu.TStates = slice;
        cpu.Execute();
        executed += slice - cpu.TStates;
    }
    if (cpu.GetPC() >= static_cast<int>(sizeof kProgram)) state.SkipWithError("the workload left its loop");
    state.counters["TStates/s"] =
        benchmark::Counter(static_cast<double>(executed), benchmark::Counter::kIsRate);
}

void RunWorkload(benchmark::State& state) { Run(state, true); }
void RunWorkloadVirtual(benchmark::State& state) { Run(state, false); }

} // namespace

BENCHMARK(RunWorkload)->Arg(80000)->Arg(1000000);
BENCHMARK(RunWorkloadVirtual)->Arg(80000);
BENCHMARK_MAIN();
