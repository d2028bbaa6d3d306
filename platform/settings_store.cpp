#include "platform/settings_store.h"

#include "platform/exceptions.h"
#include "platform/streams.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <vector>

namespace {

constexpr const char* FileName = "qj47r.ini";
// A settings file is a few lines; anything larger is not ours.
constexpr std::uint64_t MaxFileSize = 1 << 20;

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    const auto e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

// The file's lines without their line ends (LF or CR LF, as a hand-edited file
// may have), or none when it does not exist or cannot be read.
std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    try {
        const auto bytes = platform::ReadWholeFile(path, MaxFileSize);
        std::istringstream in(std::string(bytes.begin(), bytes.end()));
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
    } catch (const platform::Exception&) {
    }
    return lines;
}

bool IsSectionLine(const std::string& line, std::string* name = nullptr) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
    if (name) *name = t.substr(1, t.size() - 2);
    return true;
}

// Index of the value line "name=..." in the section, or -1; sectionEnd gets the
// index after the section's last line (-1 when there is no such section).
int FindValue(const std::vector<std::string>& lines, const std::string& section, const std::string& name,
              int& sectionEnd) {
    sectionEnd = -1;
    bool inSection = false;
    int found = -1;
    for (int i = 0; i < int(lines.size()); ++i) {
        std::string s;
        if (IsSectionLine(lines[i], &s)) {
            if (inSection) return found;
            inSection = s == section;
            if (inSection) sectionEnd = i + 1;
            continue;
        }
        if (!inSection) continue;
        if (!Trim(lines[i]).empty()) sectionEnd = i + 1;
        const auto eq = lines[i].find('=');
        if (found < 0 && eq != std::string::npos && Trim(lines[i].substr(0, eq)) == name) found = i;
    }
    return found;
}

// Values are kept on one line.
std::string OneLine(const std::string& text) {
    std::string s = text;
    for (char& c : s)
        if (c == '\n' || c == '\r') c = ' ';
    return s;
}

std::string& Folder() {
    static std::string folder;
    return folder;
}

std::string& LastError() {
    static std::string error;
    return error;
}

} // namespace

TSettingsStore::TSettingsStore(std::string folder, std::string keyPath) : Section(std::move(keyPath)) {
    if (folder.empty()) folder = UserConfigFolder();
    Path = (std::filesystem::path(folder) / FileName).string();
}

std::string TSettingsStore::UserConfigFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') return xdg;
    const char* home = std::getenv("HOME");
    return (std::filesystem::path(home && *home ? home : ".") / ".config").string();
}

std::string TSettingsStore::ReadString(const std::string& name, const std::string& defaultText) {
    const auto lines = ReadLines(Path);
    int sectionEnd;
    const int i = FindValue(lines, Section, name, sectionEnd);
    if (i >= 0) return lines[i].substr(lines[i].find('=') + 1);
    WriteString(name, defaultText);
    return defaultText;
}

bool TSettingsStore::WriteString(const std::string& name, const std::string& text) {
    auto lines = ReadLines(Path);
    int sectionEnd;
    const int i = FindValue(lines, Section, name, sectionEnd);
    const std::string line = name + "=" + OneLine(text);
    if (i >= 0)
        lines[i] = line;
    else if (sectionEnd >= 0)
        lines.insert(lines.begin() + sectionEnd, line);
    else {
        if (!lines.empty() && !Trim(lines.back()).empty()) lines.push_back("");
        lines.push_back("[" + Section + "]");
        lines.push_back(line);
    }
    std::string out;
    for (const auto& l : lines)
        out += l + "\n";
    try {
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(Path).parent_path(), ec);
        platform::WriteFileAtomic(Path, out.data(), out.size());
    } catch (const platform::Exception& e) {
        LastError = "Failed to set data for '" + name + "': " + e.Message();
        std::fprintf(stderr, "%s\n", LastError.c_str());
        return false;
    }
    return true;
}

std::string ReadRegistryString(const std::string& name, const std::string& defaultText) {
    TSettingsStore store(Folder());
    std::string result = store.ReadString(name, defaultText);
    if (!store.LastError.empty()) LastError() = store.LastError;
    return result;
}

bool WriteRegistryString(const std::string& name, const std::string& text) {
    TSettingsStore store(Folder());
    const bool ok = store.WriteString(name, text);
    if (!ok) LastError() = store.LastError;
    return ok;
}

void SetSettingsFolder(const std::string& folder) { Folder() = folder; }

std::string LastSettingsError() { return LastError(); }
