#include "platform/sound_buffer.h"

#include <algorithm>
#include <cstring>

namespace platform {

LoopingSoundBuffer::LoopingSoundBuffer(const SoundFormat& format, uint32_t sizeBytes)
    : format_(format), ring_(std::max<uint32_t>(sizeBytes, 1), 0), staging_(ring_.size(), 0) {}

bool LoopingSoundBuffer::Play() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (lost_) return false;
    playing_ = true;
    return true;
}

void LoopingSoundBuffer::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    playing_ = false;
}

bool LoopingSoundBuffer::IsPlaying() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return playing_;
}

bool LoopingSoundBuffer::GetCurrentPosition(uint32_t& playCursor) const {
    std::lock_guard<std::mutex> lock(mutex_);
    playCursor = playCursor_;
    return true;
}

bool LoopingSoundBuffer::Lock(uint32_t offset, uint32_t bytes, uint8_t** part1, uint32_t* size1,
                              uint8_t** part2, uint32_t* size2) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (failLocks_ > 0) {
        --failLocks_;
        return false;
    }
    if (lost_ || locked_ || bytes > ring_.size()) return false;
    const auto size = static_cast<uint32_t>(ring_.size());
    offset %= size;
    const uint32_t first = std::min(bytes, size - offset);
    const uint32_t second = bytes - first;
    // The staging area mirrors the ring's layout so the parts land where they belong,
    // and starts out holding what the ring holds there.
    std::memcpy(staging_.data() + offset, ring_.data() + offset, first);
    std::memcpy(staging_.data(), ring_.data(), second);
    *part1 = first ? staging_.data() + offset : nullptr;
    *size1 = first;
    *part2 = second ? staging_.data() : nullptr;
    *size2 = second;
    lockOffset_ = offset;
    lockBytes_ = bytes;
    locked_ = true;
    return true;
}

bool LoopingSoundBuffer::Unlock(uint8_t* part1, uint32_t size1, uint8_t* part2, uint32_t size2) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!locked_) return false;
    locked_ = false;
    const auto size = static_cast<uint32_t>(ring_.size());
    const uint32_t first = std::min(lockBytes_, size - lockOffset_);
    const uint32_t second = lockBytes_ - first;
    // Only what was handed out is copied back, however much the caller says it wrote.
    if (part1 == staging_.data() + lockOffset_ && first) {
        std::memcpy(ring_.data() + lockOffset_, part1, std::min(size1, first));
    }
    if (part2 == staging_.data() && second) {
        std::memcpy(ring_.data(), part2, std::min(size2, second));
    }
    return !lost_;
}

bool LoopingSoundBuffer::Restore() {
    std::lock_guard<std::mutex> lock(mutex_);
    lost_ = false;
    locked_ = false;
    playing_ = false;
    std::fill(ring_.begin(), ring_.end(), 0);
    return true;
}

void LoopingSoundBuffer::FailLocks(int count) {
    std::lock_guard<std::mutex> lock(mutex_);
    failLocks_ = count;
}

void LoopingSoundBuffer::Drain(uint8_t* dest, size_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!playing_ || lost_) {
        std::memset(dest, 0, bytes);
        return;
    }
    const size_t size = ring_.size();
    while (bytes > 0) {
        const size_t run = std::min(bytes, size - playCursor_);
        std::memcpy(dest, ring_.data() + playCursor_, run);
        dest += run;
        bytes -= run;
        playCursor_ = static_cast<uint32_t>((playCursor_ + run) % size);
    }
}

void LoopingSoundBuffer::MarkLost() {
    std::lock_guard<std::mutex> lock(mutex_);
    lost_ = true;
}

bool LoopingSoundBuffer::IsLost() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lost_;
}

std::shared_ptr<LoopingSoundBuffer> VirtualSoundDevice::CreateLoopingBuffer(const SoundFormat& format,
                                                                            uint32_t sizeBytes) {
    buffer_ = std::make_shared<LoopingSoundBuffer>(format, sizeBytes);
    return buffer_;
}

void VirtualSoundDevice::Advance(size_t bytes) {
    if (!buffer_ || bytes == 0) return;
    const size_t at = captured_.size();
    captured_.resize(at + bytes);
    buffer_->Drain(captured_.data() + at, bytes);
}

std::vector<int16_t> VirtualSoundDevice::Samples16() const {
    std::vector<int16_t> samples(captured_.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(captured_[2 * i] | (captured_[2 * i + 1] << 8));
    }
    return samples;
}

} // namespace platform
