#include "platform/streams.h"

#include "platform/exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

void TStream::ReadBuffer(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError();
}

std::size_t TStream::ReadUpTo(void* buffer, std::size_t count) {
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    std::size_t got = 0;
    while (got < count) {
        const std::size_t n = Read(bytes + got, count - got);
        if (n == 0) break;
        got += n;
    }
    return got;
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError();
}

// ---- memory stream ----

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    const auto size = static_cast<std::int64_t>(Data.size());
    if (Pos >= size || count == 0) return 0;
    const std::size_t n = std::min<std::size_t>(count, static_cast<std::size_t>(size - Pos));
    std::memcpy(buffer, Data.data() + Pos, n);
    Pos += static_cast<std::int64_t>(n);
    return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return 0;
    const std::size_t end = static_cast<std::size_t>(Pos) + count;
    if (end > Data.size()) Data.resize(end);
    std::memcpy(Data.data() + Pos, buffer, count);
    Pos = static_cast<std::int64_t>(end);
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == TSeekOrigin::soCurrent)
        base = Pos;
    else if (origin == TSeekOrigin::soEnd)
        base = Size();
    Pos = std::max<std::int64_t>(0, base + offset);
    return Pos;
}

void TMemoryStream::SetSize(std::int64_t size) {
    Data.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, size)));
    Pos = std::min(Pos, Size());
}

void TMemoryStream::Clear() {
    Data.clear();
    Data.shrink_to_fit();
    Pos = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName, std::uint64_t maxSize, TFileVersion* version) {
    Data = ReadWholeFile(fileName, maxSize, version);
    Pos = 0;
}

TFileVersion TMemoryStream::SaveToFile(const std::string& fileName) const {
    return WriteFileAtomic(fileName, Data.data(), Data.size());
}

// ---- file stream ----

namespace {
std::string LastErrorText() { return std::error_code(errno, std::generic_category()).message(); }
} // namespace

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : Name(fileName) {
    switch (mode) {
    case TFileMode::fmCreate:
        File = std::fopen(fileName.c_str(), "w+b");
        if (!File) throw EFCreateError(fileName, LastErrorText());
        break;
    case TFileMode::fmOpenRead: {
        const int fd = OpenRegularFileForReading(fileName); // raises
        File = ::fdopen(fd, "rb");
        if (!File) ::close(fd);
        break;
    }
    case TFileMode::fmOpenReadWrite: File = std::fopen(fileName.c_str(), "r+b"); break;
    }
    if (!File) throw EFOpenError(fileName, LastErrorText());
}

TFileStream::~TFileStream() {
    if (File) std::fclose(File);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    if (count == 0) return 0;
    const std::size_t n = std::fread(buffer, 1, count, File);
    if (n < count && std::ferror(File)) {
        const int error = errno;
        std::clearerr(File);
        errno = error;
        throw EFileReadError(Name, LastErrorText());
    }
    return n;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
    return count == 0 ? 0 : std::fwrite(buffer, 1, count, File);
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                       : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                          : SEEK_END;
    if (!(origin == TSeekOrigin::soCurrent && offset == 0)) fseeko(File, static_cast<off_t>(offset), whence);
    return static_cast<std::int64_t>(ftello(File));
}

std::int64_t TFileStream::Size() {
    std::fflush(File);
    struct stat st {};
    if (fstat(fileno(File), &st) != 0) return 0;
    return static_cast<std::int64_t>(st.st_size);
}

} // namespace platform
