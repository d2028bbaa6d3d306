// Byte streams over memory and files: the small set of stream operations the
// machine, the windows and the disc manager use. Failures raise the exceptions
// of platform/exceptions.h with their fixed messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
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

    void SetSize(std::int64_t size);
    void Clear();
    std::uint8_t* Memory() { return Data.data(); }
    const std::uint8_t* Memory() const { return Data.data(); }

    // Replaces the contents with the whole file; EFOpenError ("Cannot open file %s")
    // when it cannot be read. The stream is unchanged on failure. Position 0.
    void LoadFromFile(const std::string& fileName);
    // Writes the whole contents atomically (see WriteFileAtomic).
    void SaveToFile(const std::string& fileName) const;

  private:
    std::vector<std::uint8_t> Data;
    std::int64_t Pos = 0;
};

enum class TFileMode { fmOpenRead, fmOpenReadWrite, fmCreate };

class TFileStream : public TStream {
  public:
    // fmCreate creates or empties the file (EFCreateError on failure); the open
    // modes need an existing file (EFOpenError).
    TFileStream(const std::string& fileName, TFileMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override;

    const std::string& FileName() const { return Name; }

  private:
    std::string Name;
    std::FILE* File = nullptr;
};

// Writes size bytes to a temporary file beside fileName, flushes it to disc and
// renames it over fileName, so the target holds either its old or its new
// contents, never a part. A fileName that is a symbolic link is followed: the
// file it leads to is replaced and the link stays. EFCreateError ("Cannot
// create file %s") on failure, with the target untouched.
void WriteFileAtomic(const std::string& fileName, const void* data, std::size_t size);

// Reads a whole file; EFOpenError when it cannot be read.
std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName);

} // namespace platform
