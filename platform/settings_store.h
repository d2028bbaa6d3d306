// The emulator's persistent settings: string values under one key path, kept in
// an INI file in the user's configuration folder ($XDG_CONFIG_HOME, else
// ~/.config), one section per key path. Every call reads or writes the file
// afresh; writes replace the file atomically. Failures never raise: a failed
// write is reported on stderr and through LastSettingsError().
#pragma once

#include <string>

inline constexpr const char* SettingsKeyPath = "\\SOFTWARE\\QJ47R Emulator";

class TSettingsStore {
  public:
    // folder: where the INI file lives; empty = the user's configuration folder.
    explicit TSettingsStore(std::string folder = {}, std::string keyPath = SettingsKeyPath);

    static std::string UserConfigFolder();
    const std::string& FilePath() const { return Path; }

    // The value's text; when it does not exist, the default, which is then stored.
    std::string ReadString(const std::string& name, const std::string& defaultText);
    // Creates or replaces the value; false (and LastError) when the file cannot be written.
    bool WriteString(const std::string& name, const std::string& text);

    std::string LastError;

  private:
    std::string Path;
    std::string Section;
};

// The machine's two entry points, on the store in the configuration folder
// (or the folder given to SetSettingsFolder, for tests).
std::string ReadRegistryString(const std::string& name, const std::string& defaultText);
bool WriteRegistryString(const std::string& name, const std::string& text);
void SetSettingsFolder(const std::string& folder);
std::string LastSettingsError();
