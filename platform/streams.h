// Byte streams over memory and files: the small set of stream operations the
// machine, the windows and the disc manager use. Failures raise the exceptions
// of platform/exceptions.h with their fixed messages.
#pragma once

#include "platform/file_io.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace platform {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
  public:
    virtual ~TStream() = default;

    // Reads up to count bytes; returns how many were read (0 at the end).
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Writes count bytes; returns how many were written.
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    // Moves the position; returns the new position.
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    virtual std::int64_t Size() = 0;

    std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::soBeginning); }

    // Exactly count bytes or EReadError ("Stream read error").
    void ReadBuffer(void* buffer, std::size_t count);
    // Up to count bytes, fewer only at the end: the parts that Read hands out
    // one call at a time are added up. Returns how many were read.
    std::size_t ReadUpTo(void* buffer, std::size_t count);
    // Exactly count bytes or EWriteError ("Stream write error").
    void WriteBuffer(const void* buffer, std::size_t count);
};

class TMemoryStream : public TStream {
  public:
    std::size_t Read(void* buffer, std::size_t count) override;
    // Writes at the position, growing the stream when it passes the end.
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(Data.size()); }
    std::int64_t Size() const { return static_cast<std::int64_t>(Data.size()); }

    void SetSize(std::int64_t size);
    // Takes the bytes as the whole contents, without a copy; position 0.
    void TakeData(std::vector<std::uint8_t> data) {
        Data = std::move(data);
        Pos = 0;
    }
    void Clear();
    std::uint8_t* Memory() { return Data.data(); }
    const std::uint8_t* Memory() const { return Data.data(); }

    // Replaces the contents with the whole regular file of at most maxSize
    // bytes (see ReadWholeFile); the stream is unchanged on failure. Position 0.
    void LoadFromFile(const std::string& fileName, std::uint64_t maxSize, TFileVersion* version = nullptr);
    // Writes the whole contents atomically (see WriteFileAtomic).
    TFileVersion SaveToFile(const std::string& fileName) const;

  private:
    std::vector<std::uint8_t> Data;
    std::int64_t Pos = 0;
};

enum class TFileMode { fmOpenRead, fmOpenReadWrite, fmCreate };

class TFileStream : public TStream {
  public:
    // fmCreate creates or empties the file (EFCreateError on failure); the open
    // modes need an existing file (EFOpenError). fmOpenRead opens only a regular
    // file, and never blocks on anything else.
    TFileStream(const std::string& fileName, TFileMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    // An input/output error raises EFileReadError: it is never taken as the end.
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override;

    const std::string& FileName() const { return Name; }

  private:
    std::string Name;
    std::FILE* File = nullptr;
};

} // namespace platform
