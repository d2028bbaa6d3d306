// The cassette deck under program control. The 8255's PA0-PA3 and PC4-PC7 are
// its control lines; every 8255 write hands it the port A and C pins, and each
// edge becomes a state change and a log line. It feeds bits 4-5 (status) and 6
// (data) of 8255 port B back to the board, and records the bits it delivers
// into "roms/tape.pcm" (relative to the current folder).
#pragma once

#include "machine/chip_hooks.h"
#include "machine/qjf_handler.h"
#include "platform/streams.h"

#include <cstdint>
#include <memory>

class VarnelCMT {
  public:
    static constexpr const char* RecordingFile = "roms/tape.pcm";

    // The control lines: PA0-PA3 and PC4-PC7 of the 8255.
    static constexpr std::uint8_t MotorLine = 0x01, DirectionLine = 0x02, PlayLine = 0x04, StopLine = 0x08;
    static constexpr std::uint8_t EjectLine = 0x10, SpeedLine = 0x20, AmpLine = 0x40, DataLine = 0x80;
    static constexpr std::uint8_t PortALines = 0x0F, PortCCompared = 0xC0;
    // CmtStatus: 8255 port B bits 4-5; bit 5 set = no tape.
    static constexpr std::uint8_t StatusNoTape = 0x20;

    explicit VarnelCMT(TLogHook log = {});

    void PortChange(std::uint8_t portA, std::uint8_t portC);
    // 0 LastPortA, 1 CmtStatus, 2 LastPortC.
    std::uint8_t GetPort(int index) const;
    // The tape data bit, every 75 T-states.
    std::uint8_t ReadBit();

    void ProcessEdges();
    void stop();
    void Eject();

    TLogHook OnLog;

    std::unique_ptr<TQJFHandler> CmtHandler;
    std::uint8_t LastPortA = 0;
    std::uint8_t CmtStatus = 0x30;
    std::uint8_t LastPortC = 0;
    std::uint8_t EjectLatch = 0, FastSpeed = 0, ForwardDir = 0, MotorEngaged = 0, Playing = 0, StopLatch = 0,
                 ReadBitValue = 0, AmpRead = 0, RecordingOpen = 0, TapeLoaded = 0;
    // Open from a play request to the next stop; null when it could not be created.
    std::unique_ptr<platform::TFileStream> TapeRecording;

  private:
    void Toggle(std::uint8_t& latch, const char* onText, const char* offText);
};
