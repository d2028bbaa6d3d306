// The device tick after every instruction: the debugger's counters, the timed
// devices by T-state accumulators, and whether an interrupt is wanted. The
// board delivers only the NMI; a PIO request is acknowledged and answered with
// no vector.
#include "machine/qj47r.h"

#include "machine/machine_services.h"

#include <algorithm>
#include <cstdint>

namespace {
constexpr int PitPeriod = 350;
constexpr int FdcPeriod = 4000;
constexpr int TapePeriod = 75;

// The devices other than the speaker fire at most once per instruction and
// keep the rest, so a HALT that ends every slice (80000 T-states in one call)
// leaves a backlog each time; it is held below this bound so that a machine
// halted for minutes cannot overflow its accumulators.
constexpr std::int32_t BacklogLimit = 1 << 20;

void Accumulate(std::int32_t& ticks, int t) {
    ticks += t;
    if (ticks > BacklogLimit) ticks = BacklogLimit;
}
} // namespace

bool TQJ47R::CheckInterrupt(int tstates) {
    // A processor reset inside an instruction (IPL exit, reset line) reloads the
    // T-state counter, so that instruction's cost can come out negative.
    const int t = tstates > 0 ? tstates : 0;

    Services->ExecutedTStates += t;
    if ((Regs.PC & 0xFFFF) == Services->StepOverAddress) {
        TStates = -10;
        RunFlag = 0;
    }

    // The timed devices: nothing of theirs happens before the first of them is
    // due, so the T-states gather here until then.
    DeviceTStates += t;
    if (DeviceTStates >= DeviceDue) RunDevices();

    // While the PIO is quiet an acknowledge changes nothing and yields port A's
    // vector: skip the call.
    const std::uint8_t vector =
        Pio.Quiet() ? static_cast<std::uint8_t>(Pio.PioVector[0]) : Pio.AcknowledgeInterrupt();
    return vector != 0 || NmiRequest == 1;
}

// Every device, in this order, as if each instruction since the last run had
// been handed to it on its own: none of them fired in between.
void TQJ47R::RunDevices() {
    const int t = DeviceTStates;
    DeviceTStates = 0;

    Accumulate(PitTicks, t);
    if (PitTicks >= PitPeriod) {
        Pit.Clock();
        PitTicks -= PitPeriod;
    }

    Accumulate(FdcTicks, t);
    if (FdcTicks >= FdcPeriod) {
        FdcTicks -= FdcPeriod;
        TickDiscController();
    }

    Accumulate(TapeTicks, t);
    if (TapeTicks > TapePeriod) {
        TapeTicks -= TapePeriod;
        Ppi.ExternalB =
            static_cast<std::uint8_t>((Ppi.ExternalB & ~PbTapeData) | (Cassette.ReadBit() ? PbTapeData : 0));
    }

    // The speaker is sampled for every whole period the instruction covered, so
    // the ring holds one entry per 125 T-states of emulated time, HALTs included.
    SampleTicks += t;
    while (SampleTicks > SamplePeriod) {
        SpeakerRing[RingWriteIndex] = Ppi.PinsC & PcSpeaker;
        if (++RingWriteIndex >= RingSize) RingWriteIndex = 0;
        if (RingLag() > RingLagLimit) SkipSpeakerBacklog();
        SampleTicks -= SamplePeriod;
    }

    Accumulate(SoundTicks, t);
    if (SoundTicks > RefillPeriod) {
        UpdateSound();
        SoundTicks -= RefillPeriod;
    }

    // T-states until the first device fires; 0 when one fires after the next
    // instruction whatever it costs (a backlog after a HALT).
    std::int32_t due = PitPeriod - PitTicks;
    due = std::min(due, FdcPeriod - FdcTicks);
    due = std::min(due, TapePeriod + 1 - TapeTicks);
    due = std::min(due, SamplePeriod + 1 - SampleTicks);
    due = std::min(due, RefillPeriod + 1 - SoundTicks);
    DeviceDue = due > 0 ? due : 0;
}

void TQJ47R::SettleDevices() {
    for (std::int32_t* ticks : {&PitTicks, &FdcTicks, &TapeTicks, &SoundTicks})
        Accumulate(*ticks, DeviceTStates);
    SampleTicks += DeviceTStates;
    DeviceTStates = 0;
    DeviceDue = 0;
}

void TQJ47R::TickDiscController() {
    if (Fdc.FdcState != 0) {
        Fdc.ExecuteCommand();
        const auto registers = Fdc.RegisterBlock();
        Services->ShowFDCStatus(registers.data());
    }
    std::array<std::uint8_t, 4> lamps{};
    if ((Fdc.FdcStatus & TDskHandler::Status::Busy) && Fdc.SelectedDrive < lamps.size())
        lamps[Fdc.SelectedDrive] = 1;
    SetLamps(DriveLamp, lamps);
}

int TQJ47R::GetInterruptVector() {
    if (NmiRequest) {
        NmiRequest = 0;
        return -2;
    }
    return -1;
}
