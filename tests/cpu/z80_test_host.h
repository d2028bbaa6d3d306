// A test host for the Z80 core: 64 KB of memory, ports, and a record of
// every bus access and every per-instruction hook call.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

#include "cpu/z80cpu.h"
#include "cpu/z80flags.h"

struct BusEvent {
    char kind; // F fetch, R read, W write, P push, I port in, O port out
    int address;
    int value;
    bool operator==(const BusEvent&) const = default;
};

class TestCpu : public z80cpu {
  public:
    uint8_t mem[65536] = {};
    uint8_t portIn = 0xFF;     // value every port read returns
    std::vector<BusEvent> bus; // recorded while recordBus is set
    bool recordBus = false;
    std::vector<int> hookCosts; // one entry per CheckInterrupt call
    bool recordHooks = true;
    std::function<int()> vectorSource; // when set, CheckInterrupt asks for its vector
    std::function<void(TestCpu&)> onHook;
    std::function<void(z80regs*)> onTrap;
    int retiCalls = 0, retnCalls = 0;

    TestCpu() { Reset(); }

    z80regs& regs() { return Regs; }
    const uint8_t* sz() const { return SZ; }
    const uint8_t* szp() const { return SZP; }
    void setPendingVector(int v) { PendingVector = v; }

    void load(int address, std::initializer_list<int> bytes) {
        for (int b : bytes)
            mem[address++ & 0xFFFF] = static_cast<uint8_t>(b);
    }

    // Runs one pass of the loop (and whatever follows a zero-cost form) with a
    // budget of one T-state; returns the cost reported for the first instruction.
    int step() {
        hookCosts.clear();
        TStates = 1;
        SliceTStates = 0;
        Execute();
        return hookCosts.empty() ? -1 : hookCosts.front();
    }

    // Runs one slice of `budget` T-states; a HALT ends it early.
    void run(int budget) {
        hookCosts.clear();
        TStates = budget;
        SliceTStates = 0;
        Execute();
    }

    int ReadPort(int port) override {
        note('I', port, portIn);
        return portIn;
    }
    void WritePort(int port, int value) override { note('O', port, value); }
    int ReadMem(int address) override {
        note('R', address, mem[address]);
        return mem[address];
    }
    void WriteMem(int address, int value) override {
        note('W', address, value);
        mem[address] = static_cast<uint8_t>(value);
    }
    int FetchMem(int address) override {
        note('F', address, mem[address]);
        return mem[address];
    }
    void PushMem(int address, int value) override {
        note('P', address, value);
        mem[address] = static_cast<uint8_t>(value);
    }
    void HostTrap(z80regs* r) override {
        if (onTrap) onTrap(r);
    }
    void OnReti() override { ++retiCalls; }
    void OnRetn() override { ++retnCalls; }
    bool CheckInterrupt(int tstates) override {
        if (recordHooks) hookCosts.push_back(tstates);
        if (onHook) onHook(*this);
        return static_cast<bool>(vectorSource);
    }
    int GetInterruptVector() override { return vectorSource ? vectorSource() : -1; }

  private:
    void note(char kind, int address, int value) {
        if (recordBus) bus.push_back({kind, address, value});
    }
};
