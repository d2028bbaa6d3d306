// The emulator's persistent settings: string values under one key path, kept in
// an INI file in the user's configuration folder ($XDG_CONFIG_HOME, else
// ~/.config), one section per key path. As in the registry the file stands
// for, value and key names match without regard to case; values are read
// without the spaces, tabs and line-end CR around them.
//
// Every call reads the file afresh. A write changes only the lines of the
// values it writes (or adds them), keeping the rest of the file byte for byte,
// and replaces the file atomically. A file that exists but cannot be read is
// never written: what it holds is unknown, and a write would lose it. Nor is a
// file written that would be larger than MaxFileSize, which is all a read takes.
// A read that finds values missing stores all of them with their defaults or,
// when the file cannot take them all, none.
// Failures never raise; they are told in ReadProblem and LastError.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

inline constexpr const char* SettingsKeyPath = "\\SOFTWARE\\QJ47R Emulator";

// Names and their texts, written in this order.
using TSettingValues = std::vector<std::pair<std::string, std::string>>;

class TSettingsStore {
  public:
    // A settings file is a few lines; a larger file is not read.
    static constexpr std::uint64_t MaxFileSize = 64 * 1024;

    // folder: where the INI file lives; empty = the user's configuration folder.
    explicit TSettingsStore(std::string folder = {}, std::string keyPath = SettingsKeyPath);

    // $XDG_CONFIG_HOME, else ~/.config; empty when no home folder is known.
    static std::string UserConfigFolder();
    // Empty when no home folder is known.
    const std::string& FilePath() const { return Path; }

    // The texts of the values named, in their order; a value that does not
    // exist reads as its default, and the missing ones are then stored with
    // one write of the file: all of them, or none when that write does not
    // happen (LastError says why). Added names the values stored. When the
    // file exists but cannot be read: the defaults, nothing stored, and
    // ReadProblem says why.
    std::vector<std::string> ReadStrings(const TSettingValues& namesAndDefaults);
    std::string ReadString(const std::string& name, const std::string& defaultText);
    // Creates or replaces the values with one write of the file; false when
    // nothing was written (the file cannot be read, or would grow past
    // MaxFileSize, or cannot be written), and LastError says why.
    bool WriteStrings(const TSettingValues& values);
    bool WriteString(const std::string& name, const std::string& text);

    // The system's reason why the file, which exists, could not be read by the
    // last call; empty when it was read or does not exist.
    std::string ReadProblem;
    // The reason why the last write did not happen; empty after a good one.
    std::string LastError;
    // The last write was refused by the store before the file was touched:
    // the file cannot be read, or would grow past MaxFileSize.
    bool Refused = false;
    // The values the last ReadStrings stored with their defaults.
    std::vector<std::string> Added;

  private:
    // Writes the values into the file, whose text was read as old.
    bool Store(const std::string& old, const TSettingValues& values);

    std::string Path;
    std::string Section;
};

// The store in the configuration folder, or in the folder given to
// SetSettingsFolder (for tests).
TSettingsStore SettingsStore();
void SetSettingsFolder(const std::string& folder);
// One value through SettingsStore().
std::string ReadRegistryString(const std::string& name, const std::string& defaultText);
bool WriteRegistryString(const std::string& name, const std::string& text);
