#include "platform/streams.h"

#include "platform/exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

void TStream::ReadBuffer(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError();
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

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    Data = ReadWholeFile(fileName);
    Pos = 0;
}

void TMemoryStream::SaveToFile(const std::string& fileName) const {
    WriteFileAtomic(fileName, Data.data(), Data.size());
}

// ---- file stream ----

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : Name(fileName) {
    switch (mode) {
    case TFileMode::fmCreate:
        File = std::fopen(fileName.c_str(), "w+b");
        if (!File) throw EFCreateError(fileName);
        break;
    case TFileMode::fmOpenRead: File = std::fopen(fileName.c_str(), "rb"); break;
    case TFileMode::fmOpenReadWrite: File = std::fopen(fileName.c_str(), "r+b"); break;
    }
    if (!File) throw EFOpenError(fileName);
}

TFileStream::~TFileStream() {
    if (File) std::fclose(File);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    return count == 0 ? 0 : std::fread(buffer, 1, count, File);
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

// ---- whole files ----

std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName) {
    std::FILE* f = std::fopen(fileName.c_str(), "rb");
    if (!f) throw EFOpenError(fileName);
    std::vector<std::uint8_t> data;
    std::uint8_t chunk[65536];
    bool failed = false;
    for (;;) {
        const std::size_t n = std::fread(chunk, 1, sizeof chunk, f);
        data.insert(data.end(), chunk, chunk + n);
        if (n < sizeof chunk) {
            failed = std::ferror(f) != 0;
            break;
        }
    }
    std::fclose(f);
    if (failed) // e.g. a folder, or an I/O error half way
        throw EFOpenError(fileName);
    return data;
}

namespace {

// The file that fileName finally names: symbolic links followed (a relative
// link from its own folder), so that replacing it keeps the links. Empty when
// the links lead in a circle or cannot be read.
std::string FinalTarget(const std::string& fileName) {
    constexpr int MaxLinks = 40;
    std::filesystem::path path(fileName);
    for (int hops = 0; hops <= MaxLinks; ++hops) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec))) return path.string();
        const std::filesystem::path to = std::filesystem::read_symlink(path, ec);
        if (ec) return {};
        path = to.is_absolute() ? to : path.parent_path() / to;
    }
    return {};
}

} // namespace

void WriteFileAtomic(const std::string& linkOrFile, const void* data, std::size_t size) {
    const std::string fileName = FinalTarget(linkOrFile);
    if (fileName.empty()) throw EFCreateError(linkOrFile);
    std::string tmp = fileName + ".XXXXXX";
    const int fd = mkstemp(tmp.data());
    if (fd < 0) throw EFCreateError(linkOrFile);

    // Keep the permissions of the file being replaced; a new one gets 0666 less umask.
    struct stat st {};
    if (stat(fileName.c_str(), &st) == 0) {
        fchmod(fd, st.st_mode & 07777);
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }

    bool ok = true;
    const auto* p = static_cast<const std::uint8_t*>(data);
    std::size_t left = size;
    while (ok && left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            ok = false;
        else {
            p += n;
            left -= static_cast<std::size_t>(n);
        }
    }
    if (ok && fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (ok && std::rename(tmp.c_str(), fileName.c_str()) != 0) ok = false;
    if (!ok) {
        ::unlink(tmp.c_str());
        throw EFCreateError(linkOrFile);
    }
}

} // namespace platform
