#include "platform/sound_buffer.h"

#include <gtest/gtest.h>

#include <numeric>

using platform::LoopingSoundBuffer;
using platform::SoundFormat;
using platform::VirtualSoundDevice;

namespace {

// Writes `bytes` bytes at `offset` through Lock/Unlock, byte i holding value(i).
template <typename F> void WriteThrough(LoopingSoundBuffer& b, uint32_t offset, uint32_t bytes, F value) {
    uint8_t *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    ASSERT_TRUE(b.Lock(offset, bytes, &p1, &n1, &p2, &n2));
    uint32_t i = 0;
    for (uint32_t k = 0; k < n1; ++k)
        p1[k] = value(i++);
    for (uint32_t k = 0; k < n2; ++k)
        p2[k] = value(i++);
    ASSERT_TRUE(b.Unlock(p1, n1, p2, n2));
}

} // namespace

TEST(SoundBuffer, LockSplitsAtTheEndOfTheRing) {
    struct Case {
        uint32_t offset, bytes, first, second;
    };
    const Case cases[] = {{0, 10000, 10000, 0}, {9000, 2000, 1000, 1000}, {9999, 1, 1, 0}, {9999, 2, 1, 1},
                          {0, 0, 0, 0},         {12000, 100, 100, 0}};
    for (const Case& c : cases) {
        LoopingSoundBuffer b(SoundFormat{}, 10000);
        uint8_t *p1 = nullptr, *p2 = nullptr;
        uint32_t n1 = 99, n2 = 99;
        ASSERT_TRUE(b.Lock(c.offset, c.bytes, &p1, &n1, &p2, &n2)) << c.offset << "+" << c.bytes;
        EXPECT_EQ(n1, c.first) << c.offset << "+" << c.bytes;
        EXPECT_EQ(n2, c.second) << c.offset << "+" << c.bytes;
        EXPECT_EQ(p1 == nullptr, c.first == 0);
        EXPECT_EQ(p2 == nullptr, c.second == 0);
        EXPECT_TRUE(b.Unlock(p1, n1, p2, n2));
    }
}

TEST(SoundBuffer, LockRefusesMoreThanTheRingAndASecondLock) {
    LoopingSoundBuffer b(SoundFormat{}, 10000);
    uint8_t *p1, *p2;
    uint32_t n1, n2;
    EXPECT_FALSE(b.Lock(0, 10001, &p1, &n1, &p2, &n2));
    ASSERT_TRUE(b.Lock(0, 10, &p1, &n1, &p2, &n2));
    uint8_t *q1, *q2;
    EXPECT_FALSE(b.Lock(20, 10, &q1, &n1, &q2, &n2));
    EXPECT_TRUE(b.Unlock(p1, 10, p2, 0));
    EXPECT_FALSE(b.Unlock(p1, 10, p2, 0)) << "nothing is locked any more";
}

TEST(SoundBuffer, VirtualDevicePlaysWhatWasWrittenAroundTheLoop) {
    VirtualSoundDevice device;
    auto b = device.CreateLoopingBuffer(SoundFormat{}, 10000);
    ASSERT_TRUE(b);
    WriteThrough(*b, 9000, 2000, [](uint32_t i) { return static_cast<uint8_t>(i % 251); });
    device.Advance(100);
    EXPECT_EQ(device.Captured(), std::vector<uint8_t>(100, 0)) << "stopped: silence, cursor stays";
    uint32_t cursor = 1;
    ASSERT_TRUE(b->GetCurrentPosition(cursor));
    EXPECT_EQ(cursor, 0u);

    ASSERT_TRUE(b->Play());
    device.ClearCapture();
    device.Advance(9000); // the cursor moves to 9000
    ASSERT_TRUE(b->GetCurrentPosition(cursor));
    EXPECT_EQ(cursor, 9000u);
    device.ClearCapture();
    device.Advance(2000); // plays the wrapped region
    ASSERT_EQ(device.Captured().size(), 2000u);
    for (uint32_t i = 0; i < 2000; ++i)
        ASSERT_EQ(device.Captured()[i], i % 251) << i;
    ASSERT_TRUE(b->GetCurrentPosition(cursor));
    EXPECT_EQ(cursor, 1000u);
}

TEST(SoundBuffer, SamplesAreLittleEndian16Bit) {
    VirtualSoundDevice device;
    auto b = device.CreateLoopingBuffer(SoundFormat{}, 8);
    WriteThrough(*b, 0, 8, [](uint32_t i) {
        const uint8_t bytes[] = {0x00, 0xA0, 0x00, 0x00, 0xFF, 0x7F, 0x01, 0x80};
        return bytes[i];
    });
    b->Play();
    device.Advance(8);
    EXPECT_EQ(device.Samples16(), (std::vector<int16_t>{-24576, 0, 32767, -32767}));
}

TEST(SoundBuffer, LostBufferFailsUntilRestored) {
    VirtualSoundDevice device;
    auto b = device.CreateLoopingBuffer(SoundFormat{}, 100);
    WriteThrough(*b, 0, 100, [](uint32_t) { return uint8_t{7}; });
    b->Play();
    b->MarkLost();
    uint8_t *p1, *p2;
    uint32_t n1, n2, cursor;
    EXPECT_FALSE(b->Lock(0, 10, &p1, &n1, &p2, &n2));
    EXPECT_TRUE(b->GetCurrentPosition(cursor)) << "the cursor is still known";
    EXPECT_FALSE(b->Play());
    device.Advance(10);
    EXPECT_EQ(device.Captured(), std::vector<uint8_t>(10, 0)) << "a lost buffer plays silence";

    EXPECT_TRUE(b->Restore());
    EXPECT_FALSE(b->IsPlaying());
    EXPECT_TRUE(b->Play());
    EXPECT_TRUE(b->Lock(0, 10, &p1, &n1, &p2, &n2));
    EXPECT_TRUE(b->Unlock(p1, n1, p2, n2));
    device.ClearCapture();
    device.Advance(100);
    EXPECT_EQ(device.Captured(), std::vector<uint8_t>(100, 0)) << "restored content is silence";
}

TEST(SoundBuffer, RefusedLocksForTests) {
    LoopingSoundBuffer b(SoundFormat{}, 100);
    uint8_t *p1, *p2;
    uint32_t n1, n2;
    b.FailLocks(2);
    EXPECT_FALSE(b.Lock(0, 10, &p1, &n1, &p2, &n2));
    EXPECT_FALSE(b.Lock(0, 10, &p1, &n1, &p2, &n2));
    EXPECT_TRUE(b.Lock(0, 10, &p1, &n1, &p2, &n2));
}

TEST(SoundBuffer, UnlockCopiesOnlyTheLockedRegion) {
    VirtualSoundDevice device;
    auto b = device.CreateLoopingBuffer(SoundFormat{}, 16);
    uint8_t *p1, *p2;
    uint32_t n1, n2;
    ASSERT_TRUE(b->Lock(4, 4, &p1, &n1, &p2, &n2));
    std::fill(p1, p1 + n1, 0x55);
    // Claiming more than was locked must not spill over into the rest of the ring.
    ASSERT_TRUE(b->Unlock(p1, 1000, p2, 1000));
    b->Play();
    device.Advance(16);
    std::vector<uint8_t> expected(16, 0);
    std::fill(expected.begin() + 4, expected.begin() + 8, 0x55);
    EXPECT_EQ(device.Captured(), expected);
}

TEST(SoundBuffer, NullDeviceGivesNoBuffer) {
    platform::NullSoundDevice device;
    EXPECT_EQ(device.CreateLoopingBuffer(SoundFormat{}, 10000), nullptr);
    EXPECT_EQ(SoundFormat{}.BytesPerSecond(), 128000);
    EXPECT_EQ(SoundFormat{}.BlockAlign(), 2);
}
