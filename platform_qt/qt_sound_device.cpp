#include "platform_qt/qt_sound_device.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>

namespace platform_qt {

namespace {

// What the audio sink reads: an endless stream taken from the buffer's play cursor.
class BufferReader : public QIODevice {
  public:
    explicit BufferReader(std::shared_ptr<platform::LoopingSoundBuffer> buffer)
        : buffer_(std::move(buffer)) {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return buffer_->Size() + QIODevice::bytesAvailable(); }

  protected:
    qint64 readData(char* data, qint64 maxSize) override {
        // Whole sample frames only, so the sink never sees a split sample.
        const qint64 align = buffer_->Format().BlockAlign() > 0 ? buffer_->Format().BlockAlign() : 1;
        const qint64 bytes = maxSize - maxSize % align;
        if (bytes > 0) buffer_->Drain(reinterpret_cast<uint8_t*>(data), static_cast<size_t>(bytes));
        return bytes;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    std::shared_ptr<platform::LoopingSoundBuffer> buffer_;
};

constexpr int SinkBufferMs = 80;

QAudioFormat ToQtFormat(const platform::SoundFormat& format) {
    QAudioFormat qt;
    qt.setSampleRate(format.SampleRate);
    qt.setChannelCount(format.Channels);
    qt.setSampleFormat(format.BitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    return qt;
}

} // namespace

struct QtSoundDevice::Stream {
    std::shared_ptr<platform::LoopingSoundBuffer> buffer;
    std::unique_ptr<BufferReader> reader;
    std::unique_ptr<QAudioSink> sink;
    ~Stream() {
        if (sink) sink->stop();
        if (reader) reader->close();
    }
};

QtSoundDevice::QtSoundDevice() = default;
QtSoundDevice::~QtSoundDevice() = default;

bool QtSoundDevice::HasOutput() { return !QMediaDevices::defaultAudioOutput().isNull(); }

std::shared_ptr<platform::LoopingSoundBuffer>
QtSoundDevice::CreateLoopingBuffer(const platform::SoundFormat& format, uint32_t sizeBytes) {
    if (format.BitsPerSample != 16 && format.BitsPerSample != 8) return nullptr;
    const QAudioDevice output = QMediaDevices::defaultAudioOutput();
    if (output.isNull()) return nullptr;
    const QAudioFormat qtFormat = ToQtFormat(format);
    if (!output.isFormatSupported(qtFormat)) return nullptr;

    auto stream = std::make_unique<Stream>();
    stream->buffer = std::make_shared<platform::LoopingSoundBuffer>(format, sizeBytes);
    stream->reader = std::make_unique<BufferReader>(stream->buffer);
    // Unbuffered: a buffered device would read 16 KB ahead at a time, moving the
    // play cursor round the ring more than once in one go.
    stream->reader->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    stream->sink = std::make_unique<QAudioSink>(output, qtFormat);
    // The sink pulls one 20 ms period at a time, and PulseAudio grants three
    // quarters of the buffer asked for and starts playing only once about half
    // of it is queued. Asked for 40 ms, the sink queues one period, which falls
    // short of that by one sample, and never pulls again. 80 ms gives three
    // periods (60 ms of delay): playing starts at once, and a late period does
    // not run the queue dry.
    stream->sink->setBufferSize(format.BytesPerSecond() * SinkBufferMs / 1000);
    stream->sink->start(stream->reader.get());
    if (stream->sink->error() != QAudio::NoError) return nullptr;
    auto buffer = stream->buffer;
    streams_.push_back(std::move(stream));
    return buffer;
}

} // namespace platform_qt
