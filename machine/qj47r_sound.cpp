// The speaker: PC2 levels recorded into SpeakerRing by the tick, turned into
// 16-bit samples in a looping sound buffer from the last write position up to
// the play cursor.
//
// The player's index into SpeakerRing trails the recorder's. A refill never
// takes more entries than were recorded (the buffer's unplayed part takes up
// the slack until later refills top it up), and when the recorder has run far
// ahead (the machine running faster than real time, or the device stalled) the
// player skips forward as the recorder goes, so neither index can lap the other.
// When the recorder falls behind the output instead, the write position moves a
// little ahead of the play cursor over silence; and every refill fills the rest
// of the free part with silence, so that the looping buffer never plays its old
// content again, however long the output runs on alone.
#include "machine/qj47r.h"

#include "platform/sound_buffer.h"
#include "machine/machine_services.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

void TQJ47R::InitSound() {
    SecondaryBuffer.reset();
    SoundWritePos = 0;
    LastCursor = 0;
    Unplayed = SoundBufferBytes;
    if (!SoundOutput) return;
    platform::SoundFormat format;
    format.SampleRate = SampleRate;
    format.Channels = 1;
    format.BitsPerSample = 16;
    auto buffer = SoundOutput->CreateLoopingBuffer(format, SoundBufferBytes);
    if (!buffer || !buffer->Play()) return; // sound stays off; the machine runs silently
    SecondaryBuffer = std::move(buffer);
}

// The recorder ran far ahead of the player (the machine faster than real time,
// or the output stalled): the player goes on from the recent sound.
void TQJ47R::SkipSpeakerBacklog() {
    RingReadIndex = RingWriteIndex - RingStartLag;
    if (RingReadIndex < 0) RingReadIndex += RingSize;
}

void TQJ47R::UpdateSound() {
    if (!SecondaryBuffer) return;
    const std::uint32_t size = SecondaryBuffer->Size();
    std::uint32_t cursor = 0;
    if (!SecondaryBuffer->GetCurrentPosition(cursor)) cursor = 0;
    cursor %= size;

    // Equal positions: everything up to the cursor is written and not yet played.
    std::uint32_t free = cursor >= SoundWritePos ? cursor - SoundWritePos : size - (SoundWritePos - cursor);
    // Unless the output ran past all that was written ahead of it at the last
    // refill (a stalled window thread): then all of it has played, and so has
    // the silence after it, and writing starts again at the cursor.
    const std::uint32_t moved = cursor >= LastCursor ? cursor - LastCursor : size - (LastCursor - cursor);
    if (moved > Unplayed) {
        SoundWritePos = cursor;
        free = size;
    }
    LastCursor = cursor;
    Unplayed = size - free;
    free &= ~1u; // whole samples
    const std::uint32_t recorded = 2u * static_cast<std::uint32_t>(RingLag());
    std::uint32_t bytes = free < recorded ? free : recorded;
    // When the output has played nearly all that was written, the rest of the
    // ring would replay old sound: keep a margin of silence ahead of it.
    const std::uint32_t unplayed = size - free + bytes;
    if (unplayed < SilenceMargin) bytes += std::min(free - bytes, SilenceMargin - unplayed);
    if (free == 0) return;

    // The whole free part is written: after the recorded entries it is silence,
    // so that an output that runs past them (the window thread stalled) plays
    // silence rather than the buffer's old content. Later refills overwrite it.
    std::uint8_t *part1 = nullptr, *part2 = nullptr;
    std::uint32_t size1 = 0, size2 = 0;
    if (!SecondaryBuffer->Lock(SoundWritePos, free, &part1, &size1, &part2, &size2)) {
        // One more try after bringing the buffer back; then this refill is skipped.
        SecondaryBuffer->Restore();
        if (!SoundPaused) SecondaryBuffer->Play();
        if (!SecondaryBuffer->Lock(SoundWritePos, free, &part1, &size1, &part2, &size2)) return;
    }
    // The recorded entries first, then silence.
    int fromRing = static_cast<int>(std::min(bytes, recorded) / 2);
    for (auto [part, partSize] : {std::pair{part1, size1}, std::pair{part2, size2}}) {
        if (!part || !partSize) continue;
        const int samples = static_cast<int>(partSize / 2);
        const int taken = std::min(samples, fromRing);
        if (taken > 0) FillSamples(part, taken);
        std::memset(part + 2 * taken, 0, partSize - 2u * static_cast<std::uint32_t>(taken));
        fromRing -= taken;
    }
    SecondaryBuffer->Unlock(part1, size1, part2, size2);

    SoundWritePos += bytes;
    if (SoundWritePos >= size) SoundWritePos -= size;
    Unplayed += bytes;
}

void TQJ47R::FillSamples(std::uint8_t* d, int count) {
    SoundCounters = {count, RingReadIndex, RingWriteIndex, true};
    const auto high = static_cast<std::uint16_t>(HighSample);
    for (int i = 0; i < count; ++i) {
        const std::uint16_t s = SpeakerRing[RingReadIndex] ? high : 0;
        d[2 * i] = static_cast<std::uint8_t>(s & 0xFF);
        d[2 * i + 1] = static_cast<std::uint8_t>(s >> 8);
        if (++RingReadIndex >= RingSize) RingReadIndex = 0;
    }
}

void TQJ47R::ShowSoundCounters() {
    if (!SoundCounters.Fresh || !Services->HasIOMonitor()) return;
    SoundCounters.Fresh = false;
    Services->SetIOLabel(8, std::to_string(SoundCounters.Count));
    Services->SetIOLabel(9, std::to_string(SoundCounters.Read));
    Services->SetIOLabel(10, std::to_string(SoundCounters.Write));
}

// The play cursor stands still while paused, so what was written ahead of it
// plays on after the pause, and the refills go on from where they were.
void TQJ47R::PauseSound() {
    SoundPaused = true;
    if (SecondaryBuffer) SecondaryBuffer->Stop();
}

void TQJ47R::ResumeSound() {
    SoundPaused = false;
    if (SecondaryBuffer) SecondaryBuffer->Play();
}
