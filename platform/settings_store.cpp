#include "platform/settings_store.h"

#include "platform/exceptions.h"
#include "platform/file_io.h"
#include "platform/user_folders.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

namespace {

constexpr const char* FileName = "qj47r.ini";
constexpr const char* Utf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

// Values are kept on one line.
std::string OneLine(const std::string& text) {
    std::string s = text;
    for (char& c : s)
        if (c == '\n' || c == '\r') c = ' ';
    return s;
}

// The text of an INI file as lines that keep their own line ends, so that
// whatever is not changed is written back as it was read.
class TIniText {
  public:
    explicit TIniText(const std::string& text) {
        for (std::size_t at = 0; at < text.size();) {
            const auto lf = text.find('\n', at);
            const std::size_t end = lf == std::string::npos ? text.size() : lf + 1;
            TLine line;
            line.Body = text.substr(at, end - at);
            const std::size_t endLength = line.Body.ends_with("\r\n") ? 2 : line.Body.ends_with('\n') ? 1 : 0;
            line.End = line.Body.substr(line.Body.size() - endLength);
            line.Body.resize(line.Body.size() - endLength);
            if (Lines.empty() && line.Body.starts_with(Utf8Bom)) line.Skip = 3;
            Classify(line);
            Lines.push_back(std::move(line));
            at = end;
        }
    }

    std::string Text() const {
        std::string s;
        for (const auto& l : Lines)
            s += l.Body + l.End;
        return s;
    }

    // The value's trimmed text, when the section has it.
    bool Find(const std::string& section, const std::string& name, std::string* text) const {
        const int i = ValueLine(section, name);
        if (i < 0) return false;
        *text = Trim(Lines[i].Body.substr(Lines[i].ValueAt));
        return true;
    }

    void Set(const std::string& section, const std::string& name, const std::string& text) {
        if (const int i = ValueLine(section, name); i >= 0) {
            // The name as the file spells it, and the spacing around the value, stay.
            std::string& body = Lines[i].Body;
            std::size_t end = body.size();
            while (end > Lines[i].ValueAt && IsBlank(body[end - 1]))
                --end;
            body = body.substr(0, Lines[i].ValueAt) + OneLine(text) + body.substr(end);
            return;
        }
        TLine value;
        value.Body = name + "=" + OneLine(text);
        Classify(value);
        if (const int last = LastLineOf(section); last >= 0) {
            Insert(last + 1, value);
            return;
        }
        if (!Lines.empty() && !Trim(Lines.back().Body).empty()) Insert(int(Lines.size()), TLine{});
        TLine header;
        header.Body = "[" + section + "]";
        Classify(header);
        Insert(int(Lines.size()), header);
        Insert(int(Lines.size()), value);
    }

  private:
    enum class TKind { Other, Section, Value };
    struct TLine {
        std::string Body, End;
        std::size_t Skip = 0; // a byte-order mark before the first line
        TKind Kind = TKind::Other;
        std::string Name;        // of a section or a value
        std::size_t ValueAt = 0; // where a value's text starts in Body
    };

    static void Classify(TLine& line) {
        const std::string body = line.Body.substr(line.Skip);
        const std::string t = Trim(body);
        line.Kind = TKind::Other;
        if (t.empty() || t[0] == ';' || t[0] == '#') return; // blank or a comment
        if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
            line.Kind = TKind::Section;
            line.Name = Trim(t.substr(1, t.size() - 2));
            return;
        }
        const auto eq = body.find('=');
        if (eq == std::string::npos) return;
        line.Name = Trim(body.substr(0, eq));
        if (line.Name.empty()) return;
        line.Kind = TKind::Value;
        std::size_t at = eq + 1;
        while (at < body.size() && (body[at] == ' ' || body[at] == '\t'))
            ++at;
        line.ValueAt = line.Skip + at;
    }

    // The first line of the value in any section of the name (a key spelt in
    // two ways is still one key), or -1.
    int ValueLine(const std::string& section, const std::string& name) const {
        bool inSection = false;
        for (int i = 0; i < int(Lines.size()); ++i) {
            const TLine& l = Lines[i];
            if (l.Kind == TKind::Section) inSection = SameName(l.Name, section);
            if (inSection && l.Kind == TKind::Value && SameName(l.Name, name)) return i;
        }
        return -1;
    }

    // The last header or value line of the section's first occurrence, or -1.
    int LastLineOf(const std::string& section) const {
        int last = -1;
        for (int i = 0; i < int(Lines.size()); ++i) {
            const TLine& l = Lines[i];
            if (l.Kind == TKind::Section) {
                if (last >= 0) break;
                if (SameName(l.Name, section)) last = i;
            } else if (last >= 0 && l.Kind == TKind::Value) {
                last = i;
            }
        }
        return last;
    }

    // New lines end as the file's lines do; the line before gets an end when
    // it was the last one without.
    void Insert(int at, TLine line) {
        std::string end = "\n";
        for (const auto& l : Lines)
            if (!l.End.empty()) {
                end = l.End;
                break;
            }
        if (at > 0 && Lines[at - 1].End.empty()) Lines[at - 1].End = end;
        line.End = end;
        Lines.insert(Lines.begin() + at, std::move(line));
    }

    std::vector<TLine> Lines;
};

// The file's text. An absent file is empty; one that exists but cannot be read
// (not a regular file, too large, no permission, an input/output error) gives
// false and the reason.
bool ReadText(const std::string& path, std::string* text, std::string* problem) {
    if (path.empty()) {
        *problem = "no home folder is known (HOME is not set, nor a home in the user database)";
        return false;
    }
    try {
        const auto bytes = platform::ReadWholeFile(path, TSettingsStore::MaxFileSize);
        text->assign(bytes.begin(), bytes.end());
        return true;
    } catch (const platform::Exception& e) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR)) {
            text->clear();
            return true;
        }
        *problem = platform::ReasonOf(e);
        return false;
    }
}

std::string& Folder() {
    static std::string folder;
    return folder;
}

} // namespace

TSettingsStore::TSettingsStore(std::string folder, std::string keyPath) : Section(std::move(keyPath)) {
    if (folder.empty()) folder = UserConfigFolder();
    // Without a home there is no file: reads and writes say why.
    if (!folder.empty()) Path = (std::filesystem::path(folder) / FileName).string();
}

std::string TSettingsStore::UserConfigFolder() { return platform::UserFolder("XDG_CONFIG_HOME", ".config"); }

std::vector<std::string> TSettingsStore::ReadStrings(const TSettingValues& namesAndDefaults) {
    ReadProblem.clear();
    LastError.clear();
    Refused = false;
    Added.clear();
    std::vector<std::string> texts;
    std::string old;
    if (!ReadText(Path, &old, &ReadProblem)) {
        for (const auto& [name, defaultText] : namesAndDefaults)
            texts.push_back(defaultText);
        return texts;
    }
    const TIniText ini(old);
    TSettingValues missing;
    for (const auto& [name, defaultText] : namesAndDefaults) {
        std::string text;
        if (!ini.Find(Section, name, &text)) {
            text = defaultText;
            missing.emplace_back(name, defaultText);
        }
        texts.push_back(text);
    }
    // A file that cannot take every missing value is left whole.
    if (!missing.empty() && Store(old, missing))
        for (const auto& [name, defaultText] : missing)
            Added.push_back(name);
    return texts;
}

std::string TSettingsStore::ReadString(const std::string& name, const std::string& defaultText) {
    return ReadStrings({{name, defaultText}}).front();
}

bool TSettingsStore::WriteStrings(const TSettingValues& values) {
    ReadProblem.clear();
    LastError.clear();
    Refused = false;
    std::string old;
    if (!ReadText(Path, &old, &ReadProblem)) {
        LastError = "the file cannot be read (" + ReadProblem + ")";
        Refused = true;
        return false;
    }
    return Store(old, values);
}

bool TSettingsStore::Store(const std::string& old, const TSettingValues& values) {
    TIniText ini(old);
    for (const auto& [name, text] : values)
        ini.Set(Section, name, text);
    const std::string text = ini.Text();
    if (text == old) return true; // holds these values already
    // A file the store would refuse to read back is never written.
    if (text.size() > MaxFileSize) {
        LastError = "the file would be larger than " + std::to_string(MaxFileSize) +
                    " bytes, the most a settings file may hold";
        Refused = true;
        return false;
    }

    const auto folder = std::filesystem::path(Path).parent_path();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        LastError = "the folder " + folder.string() + " cannot be created: " + ec.message();
        return false;
    }
    try {
        platform::WriteFileAtomic(Path, text.data(), text.size());
    } catch (const platform::Exception& e) {
        LastError = platform::ReasonOf(e);
        return false;
    }
    return true;
}

bool TSettingsStore::WriteString(const std::string& name, const std::string& text) {
    return WriteStrings({{name, text}});
}

TSettingsStore SettingsStore() { return TSettingsStore(Folder()); }

void SetSettingsFolder(const std::string& folder) { Folder() = folder; }

std::string ReadRegistryString(const std::string& name, const std::string& defaultText) {
    return SettingsStore().ReadString(name, defaultText);
}

bool WriteRegistryString(const std::string& name, const std::string& text) {
    return SettingsStore().WriteString(name, text);
}
