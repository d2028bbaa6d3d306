#include "platform/rescue.h"

#include "platform/exceptions.h"
#include "platform/file_io.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace platform {

namespace {

namespace fs = std::filesystem;

constexpr const char* ListName = "unreported.txt";
constexpr int MaxNameTries = 1000;

std::string ListPath() { return (fs::path(RescueFolder()) / ListName).string(); }

std::string TimeText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

// "games.dsk" -> "games-20261211-040212.dsk", then "-2", "-3"... while taken.
std::string FreshName(const fs::path& folder, const std::string& imageName) {
    const fs::path image = fs::path(imageName).filename();
    std::string stem = image.stem().string();
    if (stem.empty()) stem = "disk";
    const std::string base = stem + "-" + TimeText();
    for (int n = 1; n <= MaxNameTries; ++n) {
        const std::string name = base + (n > 1 ? "-" + std::to_string(n) : "") + image.extension().string();
        std::error_code ec;
        if (!fs::exists(folder / name, ec) && !ec) return (folder / name).string();
    }
    throw EFCreateError((folder / base).string(), "no free name");
}

} // namespace

std::string UserStateFolder() {
    const char* xdg = std::getenv("XDG_STATE_HOME");
    if (xdg && *xdg == '/') return xdg;
    const char* home = std::getenv("HOME");
    return (fs::path(home && *home ? home : ".") / ".local" / "state").string();
}

std::string RescueFolder() { return (fs::path(UserStateFolder()) / "qj47r" / "rescued").string(); }

std::string RescueCopy(const std::string& imageName, const void* data, std::size_t size) {
    const fs::path folder = RescueFolder();
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) throw EFCreateError(folder.string(), ec.message());
    const std::string path = FreshName(folder, imageName);
    WriteFileAtomic(path, data, size);

    // The list only says what to show at the next start: the copy is safe without it.
    const std::string line = path + "\n";
    const int fd = ::open(ListPath().c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd >= 0) {
        [[maybe_unused]] const ssize_t n = ::write(fd, line.data(), line.size());
        ::fsync(fd);
        ::close(fd);
    }
    return path;
}

std::vector<std::string> TakeUnreportedRescues() {
    std::vector<std::string> files;
    const std::string list = ListPath();
    try {
        const auto bytes = ReadWholeFile(list, 1 << 20);
        std::string line;
        for (const std::uint8_t b : bytes) {
            if (b != '\n') {
                line += char(b);
                continue;
            }
            if (!line.empty()) files.push_back(line);
            line.clear();
        }
    } catch (const Exception&) {
        return files;
    }
    ::unlink(list.c_str());
    return files;
}

} // namespace platform
