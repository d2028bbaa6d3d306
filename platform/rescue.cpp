#include "platform/rescue.h"

#include "platform/exceptions.h"
#include "platform/file_io.h"

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

std::string UserStateFolder() {
    const char* xdg = std::getenv("XDG_STATE_HOME");
    if (xdg && *xdg == '/') return xdg;
    const char* home = std::getenv("HOME");
    return (fs::path(home && *home ? home : ".") / ".local" / "state").string();
}

std::string RescueFolder() { return (fs::path(UserStateFolder()) / "qj47r" / "rescued").string(); }

std::string TemporaryRescueFolder() {
    const char* tmp = std::getenv("TMPDIR");
    const fs::path base = tmp && *tmp == '/' ? tmp : "/tmp";
    return (base / ("qj47r-rescued-" + std::to_string(::geteuid()))).string();
}

TRescueResult RescueCopy(const std::string& imageName, const void* data, std::size_t size) {
    const fs::path image = fs::path(imageName).filename();
    const std::string stem = image.stem().empty() ? "disk" : image.stem().string();
    const std::string base = stem + "-" + TimeText();
    const auto nameFor = [&](int n) {
        return base + (n > 1 ? "-" + std::to_string(n) : "") + image.extension().string();
    };

    TRescueResult result;
    const struct {
        std::string Folder;
        std::string (*Make)(const std::string&);
    } places[] = {{RescueFolder(), MakeRescueFolder}, {TemporaryRescueFolder(), MakePrivateFolder}};
    for (const auto& place : places) {
        std::string problem = place.Make(place.Folder);
        if (problem.empty()) {
            try {
                result.Path = WriteNewFile(place.Folder, nameFor, MaxNameTries, data, size);
                result.InTemporaryFolder = &place != &places[0];
                ListForTheNextStart(place.Folder, {result.Path, imageName});
                return result;
            } catch (const Exception& e) {
                problem = ReasonOf(e);
            }
        }
        result.Refusals.push_back(place.Folder + " (" + problem + ")");
    }
    return result;
}

std::string TRescueResult::Report() const {
    if (Path.empty()) {
        std::string why = "the machine's writes to it are lost: no place could take a copy";
        for (std::size_t i = 0; i < Refusals.size(); ++i)
            why += (i == 0 ? ", not the rescue folder " : ", nor the temporary folder ") + Refusals[i];
        return why;
    }
    if (!InTemporaryFolder) return "the machine's copy is in " + Path;
    // The rescue folder was tried first, in vain.
    return "the machine's copy is in " + Path +
           ", in the system's temporary folder, since the rescue folder " + Refusals.front() +
           " could not take it";
}

std::vector<TRescueNote> TakeUnreportedRescues() {
    std::vector<TRescueNote> notes;
    TakeList(RescueFolder(), notes);
    if (const std::string tmp = TemporaryRescueFolder(); NotPrivate(tmp).empty()) TakeList(tmp, notes);
    return notes;
}

} // namespace platform
