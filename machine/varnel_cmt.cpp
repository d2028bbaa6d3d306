#include "machine/varnel_cmt.h"

#include "platform/exceptions.h"

#include <utility>

VarnelCMT::VarnelCMT(TLogHook log) : OnLog(std::move(log)), CmtHandler(std::make_unique<TQJFHandler>()) {}

std::uint8_t VarnelCMT::GetPort(int index) const {
    switch (index) {
    case 0: return LastPortA;
    case 1: return CmtStatus;
    case 2: return LastPortC;
    default: return 0;
    }
}

void VarnelCMT::PortChange(std::uint8_t a, std::uint8_t c) {
    // Compares the control bits with the whole stored bytes, as the deck always has.
    if ((a & PortALines) == LastPortA && (c & PortCCompared) == LastPortC) return;
    LastPortA ^= a; // now the changed bits
    LastPortC ^= c;
    ProcessEdges();
    LastPortA = a;
    LastPortC = c;
}

// Flips a deck latch and logs its new state.
void VarnelCMT::Toggle(std::uint8_t& latch, const char* onText, const char* offText) {
    latch ^= 1;
    LogTo(OnLog, "%s", latch ? onText : offText);
}

void VarnelCMT::ProcessEdges() {
    const std::uint8_t a = LastPortA, c = LastPortC;
    if (a & MotorLine) {
        Toggle(MotorEngaged, "CMT Motor Engaged", "CMT Motor Disengaged");
    }
    if (a & DirectionLine) {
        Toggle(ForwardDir, "FF Direction Selected", "REW Direction Selected");
    }
    if (a & PlayLine) {
        if (!Playing && !RecordingOpen) {
            Playing = 1;
            LogTo(OnLog, "Play Requested");
            RecordingOpen = 1;
            try {
                TapeRecording =
                    std::make_unique<platform::TFileStream>(RecordingFile, platform::TFileMode::fmCreate);
            } catch (const platform::Exception& e) {
                // Mid-instruction: report it and play on without recording.
                LogTo(OnLog, "%s", e.what());
                TapeRecording.reset();
            }
        } else {
            Playing = 0;
        }
    }
    if (a & StopLine) {
        StopLatch ^= 1;
        if (StopLatch) stop();
    }
    ReadBitValue = (c & DataLine) ? 1 : 0;
    if (c & AmpLine) {
        Toggle(AmpRead, "AMP set to READ state", "AMP set to WRITE state");
    }
    if (c & SpeedLine) {
        Toggle(FastSpeed, "Fast Speed Selected", "Normal Speed Selected");
    }
    if (c & EjectLine) {
        EjectLatch ^= 1;
        if (!EjectLatch) Eject();
    }
}

void VarnelCMT::stop() {
    Playing = 0;
    RecordingOpen = 0;
    TapeRecording.reset();
    LogTo(OnLog, "stop() triggered");
}

void VarnelCMT::Eject() {
    LogTo(OnLog, "Tape ejected");
    if (TapeLoaded) {
        TapeLoaded = 0;
        CmtHandler->Close();
        CmtStatus |= StatusNoTape;
    }
}

std::uint8_t VarnelCMT::ReadBit() {
    if (CmtHandler->IsOpen() && RecordingOpen && AmpRead) {
        ReadBitValue = CmtHandler->GetLevel();
        if (TapeRecording) {
            const std::uint8_t sample = ReadBitValue ? 0xC8 : 0x32;
            TapeRecording->Write(&sample, 1);
        }
    }
    return ReadBitValue;
}
