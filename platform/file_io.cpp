#include "platform/file_io.h"

#include "platform/exceptions.h"
#include "platform/format.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace platform {

namespace {

std::string ErrorText(int error) { return std::error_code(error, std::generic_category()).message(); }

TFileStamp StampFrom(const struct stat& st) {
    TFileStamp s;
    s.Exists = true;
    s.Device = static_cast<std::uint64_t>(st.st_dev);
    s.Inode = static_cast<std::uint64_t>(st.st_ino);
    s.Size = static_cast<std::int64_t>(st.st_size);
    s.ModifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return s;
}

// Why a file of this kind is not read.
std::string KindRefusal(mode_t mode) {
    if (S_ISDIR(mode)) return "it is a folder";
    if (S_ISFIFO(mode)) return "it is a pipe, not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a regular file";
    return "not a regular file";
}

std::string TooLarge(std::uint64_t maxSize) {
    return Format("the file is larger than %llu bytes", static_cast<unsigned long long>(maxSize));
}

class TDescriptor {
  public:
    explicit TDescriptor(int fd) : Fd(fd) {}
    ~TDescriptor() {
        if (Fd >= 0) ::close(Fd);
    }
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;
    int Get() const { return Fd; }
    // Closes now; false (errno set) when the close reports an error.
    bool Close() {
        const int fd = Fd;
        Fd = -1;
        return ::close(fd) == 0;
    }

  private:
    int Fd;
};

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

std::string FolderOf(const std::string& fileName) {
    const std::string folder = std::filesystem::path(fileName).parent_path().string();
    return folder.empty() ? "." : folder;
}

// Removes the temporary files that saves of this file left when they were cut
// short. A save in progress holds a lock on its file, so only abandoned ones go.
void RemoveStaleTemporaries(const std::string& target) {
    const std::string folder = FolderOf(target);
    const std::string prefix = std::filesystem::path(SaveTempPrefix(target)).filename().string();
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string path = folder + "/" + name;
        TDescriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat st {};
        if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) == 0) ::unlink(path.c_str());
    }
    ::closedir(dir);
}

// Writes all of size bytes; false (errno set) on failure.
bool WriteAll(int fd, const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = EIO;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::uint64_t ContentHash(const void* data, std::size_t size) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    const auto* p = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < size; ++i)
        h = (h ^ p[i]) * 0x100000001b3ull;
    return h;
}

TFileStamp StampOf(const std::string& fileName) {
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0) return {};
    return StampFrom(st);
}

bool StillHolds(const std::string& fileName, const TFileVersion& version, std::uint64_t maxSize) {
    const TFileStamp now = StampOf(fileName);
    if (!now.Exists) return false;
    if (now == version.Stamp) return true;
    try {
        TFileVersion onDisc;
        ReadWholeFile(fileName, maxSize, &onDisc);
        return onDisc.Hash == version.Hash;
    } catch (const Exception&) {
        return false;
    }
}

int OpenRegularFileForReading(const std::string& fileName) {
    // The kind is checked before the open, so that no device is opened at all,
    // and again after it, on what was opened.
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0) throw EFOpenError(fileName, ErrorText(errno));
    if (!S_ISREG(st.st_mode)) throw EFOpenError(fileName, KindRefusal(st.st_mode));
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) throw EFOpenError(fileName, ErrorText(errno));
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const std::string reason = S_ISREG(st.st_mode) ? ErrorText(errno) : KindRefusal(st.st_mode);
        ::close(fd);
        throw EFOpenError(fileName, reason);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName, std::uint64_t maxSize,
                                        TFileVersion* version) {
    TDescriptor fd(OpenRegularFileForReading(fileName));
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) throw EFOpenError(fileName, ErrorText(errno));
    if (static_cast<std::uint64_t>(st.st_size) > maxSize) throw EFOpenError(fileName, TooLarge(maxSize));

    // One byte more than the file's size tells whether it grew meanwhile.
    std::vector<std::uint8_t> data(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == data.size()) {
            if (data.size() > maxSize) throw EFOpenError(fileName, TooLarge(maxSize));
            data.resize(std::min<std::uint64_t>(maxSize + 1, data.size() * 2));
        }
        const ssize_t n = ::read(fd.Get(), data.data() + got, data.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw EFileReadError(fileName, ErrorText(errno));
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    if (got > maxSize) throw EFOpenError(fileName, TooLarge(maxSize));
    data.resize(got);
    if (version) {
        version->Stamp = StampFrom(st);
        version->Hash = ContentHash(data.data(), data.size());
    }
    return data;
}

std::string SaveTempPrefix(const std::string& fileName) {
    const std::filesystem::path path(fileName);
    return (path.parent_path() / ("." + path.filename().string() + ".saving-")).string();
}

TFileVersion WriteFileAtomic(const std::string& linkOrFile, const void* data, std::size_t size) {
    const std::string fileName = FinalTarget(linkOrFile);
    if (fileName.empty()) throw EFCreateError(linkOrFile, "its symbolic links lead nowhere");

    struct stat st {};
    const bool exists = ::stat(fileName.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) throw EFCreateError(linkOrFile, KindRefusal(st.st_mode));
    // Renaming over a file needs only the folder's permission: a file the user
    // may not write is refused here rather than replaced.
    if (exists && ::faccessat(AT_FDCWD, fileName.c_str(), W_OK, AT_EACCESS) != 0)
        throw EFCreateError(linkOrFile, ErrorText(errno));

    RemoveStaleTemporaries(fileName);
    std::string tmp = SaveTempPrefix(fileName) + "XXXXXX";
    TDescriptor fd(::mkostemp(tmp.data(), O_CLOEXEC));
    if (fd.Get() < 0) throw EFCreateError(linkOrFile, ErrorText(errno));
    ::flock(fd.Get(), LOCK_EX); // marks the file as in use for RemoveStaleTemporaries

    // Keep the permissions of the file being replaced; a new one gets 0666 less umask.
    if (exists) {
        ::fchmod(fd.Get(), st.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd.Get(), 0666 & ~mask);
    }

    struct stat written {};
    int error = 0;
    if (!WriteAll(fd.Get(), data, size) || ::fsync(fd.Get()) != 0 || ::fstat(fd.Get(), &written) != 0)
        error = errno;
    if (!fd.Close() && error == 0) error = errno;
    if (error == 0 && std::rename(tmp.c_str(), fileName.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(tmp.c_str());
        throw EFCreateError(linkOrFile, ErrorText(error));
    }

    // The rename itself reaches the disc only with the folder.
    TDescriptor folder(::open(FolderOf(fileName).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0 && ::fsync(folder.Get()) != 0 && errno != EINVAL && errno != EROFS)
        throw EFCreateError(linkOrFile, ErrorText(errno));

    return {StampFrom(written), ContentHash(data, size)};
}

} // namespace platform
