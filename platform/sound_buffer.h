// A looping sound buffer in the manner of a hardware secondary buffer: a ring of
// bytes that an output device plays at its play cursor, round and round, while the
// program locks the region behind the cursor, writes fresh samples there and
// unlocks it. Devices: a null one (no output), a virtual one for tests that moves
// the play cursor by hand and keeps what it played, and the Qt Multimedia one in
// platform_qt/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {

struct SoundFormat {
    int SampleRate = 64000;
    int Channels = 1;
    int BitsPerSample = 16;
    int BlockAlign() const { return Channels * BitsPerSample / 8; }
    int BytesPerSecond() const { return BlockAlign() * SampleRate; }
};

class LoopingSoundBuffer {
  public:
    LoopingSoundBuffer(const SoundFormat& format, uint32_t sizeBytes);

    const SoundFormat& Format() const { return format_; }
    uint32_t Size() const { return static_cast<uint32_t>(ring_.size()); }

    // Starts playing (always looping); false while the buffer is lost.
    bool Play();
    void Stop();
    bool IsPlaying() const;

    // The byte offset the device plays next (also while the buffer is lost).
    bool GetCurrentPosition(uint32_t& playCursor) const;

    // Locks `bytes` bytes from `offset` (both taken modulo the size, bytes at most
    // the size): the region is handed out as up to two parts, the second one the
    // wrap to the start of the ring (null and 0 when there is none). The data
    // reach the ring at Unlock. Fails while the buffer is lost or already locked.
    bool Lock(uint32_t offset, uint32_t bytes, uint8_t** part1, uint32_t* size1, uint8_t** part2,
              uint32_t* size2);
    bool Unlock(uint8_t* part1, uint32_t size1, uint8_t* part2, uint32_t size2);

    // Brings a lost buffer back; its content is silence again and it is stopped.
    bool Restore();
    // For tests: the next `count` locks fail, as on a device that refuses them.
    void FailLocks(int count);

    // Device side. Copies `bytes` bytes from the play cursor on into `dest` (the
    // ring loops) and advances the cursor; silence while stopped or lost.
    void Drain(uint8_t* dest, size_t bytes);
    // Marks the buffer lost, as when the output device goes away.
    void MarkLost();
    bool IsLost() const;

  private:
    SoundFormat format_;
    mutable std::mutex mutex_;
    std::vector<uint8_t> ring_;
    std::vector<uint8_t> staging_; // what Lock hands out; copied into ring_ at Unlock
    uint32_t playCursor_ = 0;
    uint32_t lockOffset_ = 0;
    uint32_t lockBytes_ = 0;
    bool locked_ = false;
    bool playing_ = false;
    bool lost_ = false;
    int failLocks_ = 0;
};

// A sound output: creates the looping buffers it plays.
class SoundDevice {
  public:
    virtual ~SoundDevice() = default;
    // Null when the device cannot play this format.
    virtual std::shared_ptr<LoopingSoundBuffer> CreateLoopingBuffer(const SoundFormat& format,
                                                                    uint32_t sizeBytes) = 0;
};

// No output at all: every buffer request fails, so a machine runs silently.
class NullSoundDevice : public SoundDevice {
  public:
    std::shared_ptr<LoopingSoundBuffer> CreateLoopingBuffer(const SoundFormat&, uint32_t) override {
        return nullptr;
    }
};

// For tests: plays only when told to, and keeps every sample it played.
class VirtualSoundDevice : public SoundDevice {
  public:
    std::shared_ptr<LoopingSoundBuffer> CreateLoopingBuffer(const SoundFormat& format,
                                                            uint32_t sizeBytes) override;

    // The buffer created last (null before any).
    const std::shared_ptr<LoopingSoundBuffer>& Buffer() const { return buffer_; }
    // Plays `bytes` bytes of the buffer: the play cursor moves on that far and the
    // bytes played are appended to the capture.
    void Advance(size_t bytes);
    // The captured stream as 16-bit little-endian samples.
    std::vector<int16_t> Samples16() const;
    const std::vector<uint8_t>& Captured() const { return captured_; }
    void ClearCapture() { captured_.clear(); }

  private:
    std::shared_ptr<LoopingSoundBuffer> buffer_;
    std::vector<uint8_t> captured_;
};

} // namespace platform
