// The sound output of the desktop: plays each looping buffer through a Qt
// Multimedia audio sink that pulls the bytes at the buffer's play cursor.
#pragma once

#include "platform/sound_buffer.h"

#include <memory>
#include <vector>

namespace platform_qt {

class QtSoundDevice : public platform::SoundDevice {
  public:
    QtSoundDevice();
    ~QtSoundDevice() override;
    QtSoundDevice(const QtSoundDevice&) = delete;
    QtSoundDevice& operator=(const QtSoundDevice&) = delete;

    // True when the system has an audio output at all.
    static bool HasOutput();

    // Null when there is no output or it cannot play the format.
    std::shared_ptr<platform::LoopingSoundBuffer> CreateLoopingBuffer(const platform::SoundFormat& format,
                                                                      uint32_t sizeBytes) override;

  private:
    struct Stream;
    std::vector<std::unique_ptr<Stream>> streams_;
};

} // namespace platform_qt
