#include "platform/rescue.h"

#include "platform/exceptions.h"
#include "platform/file_io.h"
#include "platform/user_folders.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace platform {

namespace {

namespace fs = std::filesystem;

constexpr const char* ListName = "unreported.txt";
constexpr int MaxNameTries = 1000;
constexpr std::uint64_t MaxListSize = 1 << 20;
// The longest file name most file systems take, where a folder does not tell its own.
constexpr std::size_t DefaultNameMax = 255;
constexpr const char* NoHome = "no home folder is known (HOME is not set, nor a home in the user database)";

std::string ErrorText(int error) { return std::error_code(error, std::generic_category()).message(); }

std::string TimeText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

// The rescue folder, made when missing. Empty when it is there; else why not.
std::string MakeRescueFolder(const std::string& folder) {
    if (folder.empty()) return NoHome;
    std::error_code ec;
    fs::create_directories(folder, ec);
    // Another process may make it at the same moment, which fails this one.
    std::error_code there;
    return ec && !fs::is_directory(folder, there) ? ec.message() : std::string();
}

// The temporary folder is everyone's: the folder of ours in it must be a real
// folder that belongs to this user and that nobody else may enter.
// Empty when it is such a folder; else why not.
std::string NotPrivate(const std::string& folder) {
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) return ErrorText(errno);
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0)
        return "it is not a private folder of this user";
    return {};
}

// The longest name a file in the folder may have.
std::size_t NameMax(const std::string& folder) {
    const long max = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return max > 0 ? std::size_t(max) : DefaultNameMax;
}

// The first bytes of text, at most n, not cut inside a UTF-8 character.
std::string Prefix(const std::string& text, std::size_t n) {
    if (text.size() <= n) return text;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        --n;
    return text.substr(0, n);
}

std::string MakePrivateFolder(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return ErrorText(errno);
    return NotPrivate(folder);
}

// A list line: the copy and the image, tab-separated, each with its
// backslashes, tabs and line ends escaped.
std::string Escaped(const std::string& text) {
    std::string s;
    for (const char c : text) {
        if (c == '\\')
            s += "\\\\";
        else if (c == '\t')
            s += "\\t";
        else if (c == '\n')
            s += "\\n";
        else
            s += c;
    }
    return s;
}

std::string Unescaped(const std::string& text) {
    std::string s;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            s += text[i];
            continue;
        }
        const char c = text[++i];
        s += c == 't' ? '\t' : c == 'n' ? '\n' : c;
    }
    return s;
}

// The list only says what to show at the next start: the copy is safe without it.
void ListForTheNextStart(const std::string& folder, const TRescueNote& note) {
    const std::string line = Escaped(note.Copy) + "\t" + Escaped(note.Image) + "\n";
    const std::string list = (fs::path(folder) / ListName).string();
    const int fd = ::open(list.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return;
    [[maybe_unused]] const ssize_t n = ::write(fd, line.data(), line.size());
    ::fsync(fd);
    ::close(fd);
}

void TakeList(const std::string& folder, std::vector<TRescueNote>& notes) {
    const std::string list = (fs::path(folder) / ListName).string();
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ReadWholeFile(list, MaxListSize);
    } catch (const Exception&) {
        return;
    }
    std::string line;
    for (const std::uint8_t b : bytes) {
        if (b != '\n') {
            line += char(b);
            continue;
        }
        // A line without a tab comes from a list of an earlier version: the copy alone.
        const auto tab = line.find('\t');
        if (!line.empty())
            notes.push_back({Unescaped(line.substr(0, tab)),
                             tab == std::string::npos ? std::string() : Unescaped(line.substr(tab + 1))});
        line.clear();
    }
    ::unlink(list.c_str());
}

} // namespace

std::string UserStateFolder() { return UserFolder("XDG_STATE_HOME", ".local/state"); }

std::string RescueFolder() {
    const std::string state = UserStateFolder();
    return state.empty() ? std::string() : (fs::path(state) / "qj47r" / "rescued").string();
}

std::vector<std::string> TemporaryRescueFolders() {
    std::vector<std::string> folders;
    for (const std::string& base : TemporaryFolders())
        folders.push_back((fs::path(base) / ("qj47r-rescued-" + std::to_string(::geteuid()))).string());
    return folders;
}

std::string TemporaryRescueFolder() { return TemporaryRescueFolders().front(); }

std::string RescueName(const std::string& imageName, const std::string& time, int attempt,
                       std::size_t maxBytes) {
    const fs::path image = fs::path(imageName).filename();
    std::string stem = image.stem().empty() ? "disk" : image.stem().string();
    std::string extension = image.extension().string();
    const std::string end = "-" + time + (attempt > 1 ? "-" + std::to_string(attempt) : "");
    // An extension that leaves no room for a stem is no extension of a disc image.
    if (extension.size() + end.size() + 1 > maxBytes) extension.clear();
    const std::size_t room =
        maxBytes > end.size() + extension.size() ? maxBytes - end.size() - extension.size() : 0;
    stem = Prefix(stem, room);
    if (stem.empty()) stem = Prefix("disk", room);
    return stem + end + extension;
}

TRescueResult RescueCopy(const std::string& imageName, const void* data, std::size_t size) {
    const std::string time = TimeText();
    TRescueResult result;
    struct TPlace {
        std::string Folder;
        std::string (*Make)(const std::string&);
    };
    std::vector<TPlace> places = {{RescueFolder(), MakeRescueFolder}};
    for (const std::string& folder : TemporaryRescueFolders())
        places.push_back({folder, MakePrivateFolder});
    for (std::size_t i = 0; i < places.size(); ++i) {
        const TPlace& place = places[i];
        std::string problem = place.Make(place.Folder);
        if (problem.empty()) {
            const std::size_t nameMax = NameMax(place.Folder);
            try {
                result.Path = WriteNewFile(
                    place.Folder, [&](int n) { return RescueName(imageName, time, n, nameMax); },
                    MaxNameTries, data, size);
                result.InTemporaryFolder = i > 0;
                ListForTheNextStart(place.Folder, {result.Path, imageName});
                return result;
            } catch (const Exception& e) {
                problem = ReasonOf(e);
            }
        }
        result.Refusals.push_back((place.Folder.empty() ? "(none)" : place.Folder) + " (" + problem + ")");
    }
    return result;
}

std::string TRescueResult::Report() const {
    // The places in the order they were tried: the rescue folder, then the temporary ones.
    const auto nor = [this](std::size_t from) {
        std::string text;
        for (std::size_t i = from; i < Refusals.size(); ++i)
            text += ", nor the temporary folder " + Refusals[i];
        return text;
    };
    const std::string first = Refusals.empty() ? std::string() : "the rescue folder " + Refusals.front();
    if (Path.empty())
        return "the machine's writes to it are lost: no place could take a copy, not " + first + nor(1);
    if (!InTemporaryFolder) return "the machine's copy is in " + Path;
    return "the machine's copy is in " + Path + ", in the system's temporary folder, since " + first +
           " could not take it" + nor(1);
}

std::vector<TRescueNote> TakeUnreportedRescues() {
    std::vector<TRescueNote> notes;
    if (const std::string folder = RescueFolder(); !folder.empty()) TakeList(folder, notes);
    for (const std::string& tmp : TemporaryRescueFolders())
        if (NotPrivate(tmp).empty()) TakeList(tmp, notes);
    for (TRescueNote& note : notes) {
        struct stat st {};
        note.Gone = ::lstat(note.Copy.c_str(), &st) != 0 || !S_ISREG(st.st_mode);
    }
    return notes;
}

} // namespace platform
