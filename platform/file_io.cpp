#include "platform/file_io.h"

#include "platform/exceptions.h"
#include "platform/format.h"
#include "platform/system_calls.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

// What the temporary files of WriteNewFile are named after.
constexpr const char* NewFileTempBase = ".new-file";

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
    explicit TDescriptor(int fd = -1) : Fd(fd) {}
    ~TDescriptor() {
        if (Fd >= 0) ::close(Fd);
    }
    TDescriptor(TDescriptor&& other) noexcept : Fd(std::exchange(other.Fd, -1)) {}
    TDescriptor& operator=(TDescriptor&& other) noexcept {
        if (this != &other) {
            if (Fd >= 0) ::close(Fd);
            Fd = std::exchange(other.Fd, -1);
        }
        return *this;
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

// A temporary file younger than this may be one that another save has just
// made and not yet locked.
constexpr std::int64_t StaleAfterSeconds = 60;

// Removes the temporary files that saves of this file left when they were cut
// short. A save in progress holds a lock on its file until it has its name,
// so only abandoned ones go.
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
        if (st.st_mtim.tv_sec > std::int64_t(std::time(nullptr)) - StaleAfterSeconds) continue;
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) == 0) ::unlink(path.c_str());
    }
    ::closedir(dir);
}

// Writes all of size bytes; false (errno set) on failure.
bool WriteAll(int fd, const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = SystemCalls().Write(fd, p, size);
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
    if (SystemCalls().Stat(fileName.c_str(), &st) != 0) return {};
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
    const TSystemCalls& sys = SystemCalls();
    struct stat st {};
    if (sys.Stat(fileName.c_str(), &st) != 0) throw EFOpenError(fileName, ErrorText(errno));
    if (!S_ISREG(st.st_mode)) throw EFOpenError(fileName, KindRefusal(st.st_mode));
    const int fd = sys.Open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0);
    if (fd < 0) throw EFOpenError(fileName, ErrorText(errno));
    if (sys.Fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
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
    if (SystemCalls().Fstat(fd.Get(), &st) != 0) throw EFOpenError(fileName, ErrorText(errno));
    if (static_cast<std::uint64_t>(st.st_size) > maxSize) throw EFOpenError(fileName, TooLarge(maxSize));

    // One byte more than the file's size tells whether it grew meanwhile.
    std::vector<std::uint8_t> data(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == data.size()) {
            if (data.size() > maxSize) throw EFOpenError(fileName, TooLarge(maxSize));
            data.resize(std::min<std::uint64_t>(maxSize + 1, data.size() * 2));
        }
        const ssize_t n = SystemCalls().Read(fd.Get(), data.data() + got, data.size() - got);
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

namespace {

// The file mode a new file gets: 0666 less the umask.
mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A finished temporary file: written whole, flushed to disc and closed. Lock
// keeps it marked as in use (RemoveStaleTemporaries) until it has its name.
struct TTemporary {
    std::string Path;
    struct stat Written {};
    TDescriptor Lock;
};

// Writes the bytes to a new temporary file beside `beside` (named after it),
// with the permissions `mode`, flushes it to disc and closes it. On failure the
// temporary file is removed and EFCreateError names shownName and the reason.
TTemporary WriteTemporary(const std::string& beside, const std::string& shownName, const void* data,
                          std::size_t size, mode_t mode) {
    RemoveStaleTemporaries(beside);
    TTemporary tmp;
    tmp.Path = SaveTempPrefix(beside) + "XXXXXX";
    TDescriptor fd(::mkostemp(tmp.Path.data(), O_CLOEXEC));
    if (fd.Get() < 0) throw EFCreateError(shownName, ErrorText(errno));
    // The lock is held through a descriptor of its own, so that the one written
    // through can be closed (and its error seen) while the file stays marked.
    tmp.Lock = TDescriptor(::open(tmp.Path.c_str(), O_RDONLY | O_CLOEXEC));
    if (tmp.Lock.Get() >= 0) ::flock(tmp.Lock.Get(), LOCK_EX);
    ::fchmod(fd.Get(), mode);

    const TSystemCalls& sys = SystemCalls();
    int error = 0;
    if (!WriteAll(fd.Get(), data, size) || sys.Fsync(fd.Get()) != 0 || sys.Fstat(fd.Get(), &tmp.Written) != 0)
        error = errno;
    if (!fd.Close() && error == 0) error = errno;
    if (error != 0) {
        ::unlink(tmp.Path.c_str());
        throw EFCreateError(shownName, ErrorText(error));
    }
    return tmp;
}

// A rename or link reaches the disc only with its folder. Returns 0, or the
// error of a flush that failed (a folder that cannot be opened or flushed at
// all, as on some file systems, is no error).
int SyncFolderOf(const std::string& fileName) {
    const TSystemCalls& sys = SystemCalls();
    TDescriptor folder(sys.Open(FolderOf(fileName).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
    if (folder.Get() >= 0 && sys.Fsync(folder.Get()) != 0 && errno != EINVAL && errno != EROFS) return errno;
    return 0;
}

// Puts the finished temporary file at `name` unless a file of that name exists
// (a link fails then). A file system without hard links gets the name reserved
// by an exclusive create, which the temporary file then replaces. False when
// the name is taken; EFCreateError for any other failure (the temporary file stays).
bool PlaceUnderFreeName(const std::string& tmp, const std::string& name) {
    const TSystemCalls& sys = SystemCalls();
    if (sys.Link(tmp.c_str(), name.c_str()) == 0) {
        ::unlink(tmp.c_str());
        return true;
    }
    if (errno == EEXIST) return false;
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS) throw EFCreateError(name, ErrorText(errno));
    const int reserved = sys.Open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (reserved < 0 && errno == EEXIST) return false;
    if (reserved < 0) throw EFCreateError(name, ErrorText(errno));
    ::close(reserved);
    if (sys.Rename(tmp.c_str(), name.c_str()) != 0) {
        const int error = errno;
        ::unlink(name.c_str());
        throw EFCreateError(name, ErrorText(error));
    }
    return true;
}

} // namespace

TFileVersion WriteFileAtomic(const std::string& linkOrFile, const void* data, std::size_t size) {
    const std::string fileName = FinalTarget(linkOrFile);
    if (fileName.empty()) throw EFCreateError(linkOrFile, "its symbolic links lead nowhere");

    struct stat st {};
    const bool exists = SystemCalls().Stat(fileName.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) throw EFCreateError(linkOrFile, KindRefusal(st.st_mode));
    // Renaming over a file needs only the folder's permission: a file the user
    // may not write is refused here rather than replaced.
    if (exists && ::faccessat(AT_FDCWD, fileName.c_str(), W_OK, AT_EACCESS) != 0)
        throw EFCreateError(linkOrFile, ErrorText(errno));

    // A replaced file keeps its permissions.
    const TTemporary tmp =
        WriteTemporary(fileName, linkOrFile, data, size, exists ? st.st_mode & 07777 : NewFileMode());
    if (SystemCalls().Rename(tmp.Path.c_str(), fileName.c_str()) != 0) {
        const int error = errno;
        ::unlink(tmp.Path.c_str());
        throw EFCreateError(linkOrFile, ErrorText(error));
    }
    if (const int error = SyncFolderOf(fileName); error != 0)
        throw EFCreateError(linkOrFile, ErrorText(error));
    return {StampFrom(tmp.Written), ContentHash(data, size)};
}

std::string WriteNewFile(const std::string& folder, const std::function<std::string(int attempt)>& nameFor,
                         int attempts, const void* data, std::size_t size) {
    const std::string first = (std::filesystem::path(folder) / nameFor(1)).string();
    const TTemporary tmp = WriteTemporary((std::filesystem::path(folder) / NewFileTempBase).string(), first,
                                          data, size, NewFileMode());
    try {
        for (int attempt = 1; attempt <= attempts; ++attempt) {
            const std::string name = (std::filesystem::path(folder) / nameFor(attempt)).string();
            if (!PlaceUnderFreeName(tmp.Path, name)) continue;
            // In place and readable now: a failing flush of the folder does not undo that.
            SyncFolderOf(name);
            return name;
        }
    } catch (...) {
        ::unlink(tmp.Path.c_str());
        throw;
    }
    ::unlink(tmp.Path.c_str());
    throw EFCreateError(first, Format("the name and the next %d are taken", attempts - 1));
}

} // namespace platform
