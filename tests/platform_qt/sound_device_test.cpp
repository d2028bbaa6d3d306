#include "platform_qt/qt_sound_device.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

// Without an audio output (as on CI) the device refuses buffers, so a machine runs
// silently; with one it hands out a buffer that is drained from the play cursor.
TEST(SoundQtDevice, BufferOnlyWhenThereIsAnOutput) {
    int argc = 1;
    char name[] = "sound_qt_device_test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    {
        platform_qt::QtSoundDevice device;
        auto buffer = device.CreateLoopingBuffer(platform::SoundFormat{}, 10000);
        if (!platform_qt::QtSoundDevice::HasOutput()) {
            EXPECT_EQ(buffer, nullptr);
        } else if (buffer) {
            EXPECT_EQ(buffer->Size(), 10000u);
            EXPECT_TRUE(buffer->Play());
            uint32_t cursor = 99999;
            EXPECT_TRUE(buffer->GetCurrentPosition(cursor));
            EXPECT_LT(cursor, 10000u);
        }
        EXPECT_EQ(device.CreateLoopingBuffer(platform::SoundFormat{64000, 1, 12}, 10000), nullptr)
            << "a sample size the device cannot play";
    }
}
