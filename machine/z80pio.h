// Z80 PIO, register level: ports A and B with data and control registers, the
// four modes, ready lines and interrupt logic. Changes of the interrupt line and
// of the ready lines are announced through the two virtual operations.
#pragma once

#include <cstdint>

class Z80PIO {
  public:
    Z80PIO();
    virtual ~Z80PIO() = default;

    // Announcements; nothing by default.
    virtual void IntLineChanged(std::uint32_t line);
    virtual void ReadyChanged(int port, std::uint32_t ready);

    void Reset();
    // port 0 = A, 1 = B.
    void WriteControl(int port, std::uint8_t value);
    void WriteData(int port, std::uint8_t value);
    std::uint8_t ReadData(int port);
    std::uint8_t ReadControl(int port) const;
    // Returns the vector of the port being served (see the .cpp).
    std::uint8_t AcknowledgeInterrupt();

    void EvaluateInterrupt(int port);
    void UpdateIntLine();
    void SetReady(int port, std::uint32_t ready);

    static constexpr std::uint32_t ModeOutput = 0, ModeInput = 1, ModeBidirectional = 2, ModeControl = 3;
    static constexpr std::uint32_t ModeControlPending = 0x13; // I/O select word expected next
    static constexpr std::uint32_t StateRequested = 1, StateInService = 2;

    std::uint32_t PioVector[2] = {};
    std::uint32_t PioMode[2] = {};
    std::uint32_t PioIntControl[2] = {}; // bit 7 enable, 6 AND, 5 active high, 4 mask follows
    std::uint32_t PioMask[2] = {};
    std::uint32_t PioIoSelect[2] = {}; // bit set = input
    std::uint32_t PioReady[2] = {};
    std::uint32_t PioInput[2] = {};
    std::uint32_t PioOutput[2] = {};
    std::uint32_t PioState[2] = {}; // bit 0 requested, bit 1 in service
};

// The board's PIO: the board polls the interrupt state from its tick instead.
class TQJPIO : public Z80PIO {
  public:
    void IntLineChanged(std::uint32_t line) override;
    void ReadyChanged(int port, std::uint32_t ready) override;
};
