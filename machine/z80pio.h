// Z80 PIO, register level: ports A and B with data and control registers, the
// four modes, ready lines and interrupt logic. Changes of the interrupt line and
// of the ready lines, and every register write, are announced through hooks.
#pragma once

#include <cstdint>
#include <functional>

class Z80PIO {
  public:
    Z80PIO();

    void Reset();
    // port 0 = A, 1 = B.
    void WriteControl(int port, std::uint8_t value);
    void WriteData(int port, std::uint8_t value);
    std::uint8_t ReadData(int port);
    std::uint8_t ReadControl(int port) const;
    // Returns the vector of the port being served (see the .cpp).
    std::uint8_t AcknowledgeInterrupt();
    // True while an acknowledge would change nothing and return port A's vector:
    // neither port has interrupts enabled or a request pending or in service.
    bool Quiet() const {
        return !((PioIntControl[0] | PioIntControl[1]) & IntEnable) && (PioState[0] | PioState[1]) == 0;
    }

    void EvaluateInterrupt(int port);
    void UpdateIntLine();
    void SetReady(int port, std::uint32_t ready);

    // Hooks: the interrupt line (2 = in service, else the request bits), a
    // port's ready line, and the end of every control or data write.
    std::function<void(std::uint32_t line)> OnIntLine;
    std::function<void(int port, std::uint32_t ready)> OnReady;
    std::function<void()> OnWritten;

    static constexpr std::uint32_t ModeOutput = 0, ModeInput = 1, ModeBidirectional = 2, ModeControl = 3;
    static constexpr std::uint32_t ModeControlPending = 0x13; // I/O select word expected next
    static constexpr std::uint32_t StateRequested = 1, StateInService = 2;

    // Bits of PioIntControl (the upper half of an interrupt control word).
    static constexpr std::uint32_t IntEnable = 0x80;
    static constexpr std::uint32_t IntAnd = 0x40;         // else OR
    static constexpr std::uint32_t IntActiveHigh = 0x20;  // else active low
    static constexpr std::uint32_t IntMaskFollows = 0x10; // the next control byte is the mask

    // The low nibble of a control word names its kind; an even word is a vector.
    static constexpr std::uint8_t WordKind = 0x0F;
    static constexpr std::uint8_t EnableWord = 0x03, IntControlWord = 0x07, ModeWord = 0x0F;
    static constexpr std::uint8_t NotVector = 0x01;

    std::uint32_t PioVector[2] = {};
    std::uint32_t PioMode[2] = {};
    std::uint32_t PioIntControl[2] = {};
    std::uint32_t PioMask[2] = {};
    std::uint32_t PioIoSelect[2] = {}; // bit set = input
    std::uint32_t PioReady[2] = {};
    std::uint32_t PioInput[2] = {};
    std::uint32_t PioOutput[2] = {};
    std::uint32_t PioState[2] = {}; // StateRequested, StateInService

  private:
    void WriteControlWord(int port, std::uint8_t value);
};
