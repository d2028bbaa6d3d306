#include "fixtures/file_contents.h"
#include "fixtures/file_faults.h"
#include "fixtures/full_settings.h"
#include "fixtures/no_home.h"
#include "fixtures/scoped_env.h"
#include "fixtures/temp_dir.h"
#include "fixtures/unreadable_settings.h"
#include "platform/settings_store.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <pwd.h>
#include <unistd.h>

namespace fs = std::filesystem;
const auto& Slurp = fixtures::SlurpText;
const auto& Spit = fixtures::SpitText;

TEST(SettingsStore, FirstReadCreatesTheValueWithItsDefault) {
    fixtures::TempDir dir;
    TSettingsStore store(dir.Path.string());
    EXPECT_EQ(store.ReadString("RamExpansion", "TRUE"), "TRUE");
    EXPECT_EQ(Slurp(store.FilePath()), "[\\SOFTWARE\\QJ47R Emulator]\nRamExpansion=TRUE\n");
    // Stored now: another default does not replace it.
    EXPECT_EQ(store.ReadString("RamExpansion", "FALSE"), "TRUE");
    EXPECT_TRUE(store.ReadProblem.empty());
}

TEST(SettingsStore, WritesReplaceAndKeepOtherValuesAndSections) {
    fixtures::TempDir dir;
    const std::string path = dir.File("qj47r.ini");
    Spit(path, "[Other]\nGraphics1=kept\n\n[\\SOFTWARE\\QJ47R Emulator]\nGraphics1=TRUE\nScanDouble=TRUE\n");
    TSettingsStore store(dir.Path.string());
    ASSERT_EQ(store.FilePath(), path);
    EXPECT_TRUE(store.WriteString("Graphics1", "FALSE"));
    EXPECT_TRUE(store.WriteString("Graphics1", "maybe"));
    EXPECT_TRUE(store.WriteString("Graphics2", "FALSE"));
    EXPECT_EQ(store.ReadString("Graphics1", "TRUE"), "maybe");
    EXPECT_EQ(store.ReadString("Graphics2", "TRUE"), "FALSE");
    EXPECT_EQ(store.ReadString("ScanDouble", "FALSE"), "TRUE");
    EXPECT_EQ(Slurp(path), "[Other]\nGraphics1=kept\n\n[\\SOFTWARE\\QJ47R Emulator]\nGraphics1=maybe\n"
                           "ScanDouble=TRUE\nGraphics2=FALSE\n");
    // A value edited by hand reads back as it is, an empty one as empty text.
    Spit(path, "[\\SOFTWARE\\QJ47R Emulator]\nScanDouble=FALSE\nGraphics1=\n");
    EXPECT_EQ(store.ReadString("ScanDouble", "TRUE"), "FALSE");
    EXPECT_EQ(store.ReadString("Graphics1", "TRUE"), "");
}

// A file edited by hand: spaces and tabs around names and values, CR LF line
// ends, names and the section spelt in another case (the registry's names
// are case-insensitive), comments, and a byte-order mark.
TEST(SettingsStore, HandEditedFilesReadAsMeant) {
    const struct {
        const char* What;
        std::string File;
    } cases[] = {
        {"spaces and tabs", "[\\SOFTWARE\\QJ47R Emulator]\n  RamExpansion = TRUE \nGraphics1\t=\tFALSE\t\n"
                            "Graphics2 =\n"},
        {"CR LF line ends",
         "[\\SOFTWARE\\QJ47R Emulator]\r\nRamExpansion=TRUE\r\nGraphics1=FALSE\r\nGraphics2=\r\n"},
        {"names in another case",
         "[\\SOFTWARE\\QJ47R Emulator]\nramexpansion=TRUE\nGRAPHICS1=FALSE\ngraphics2=\n"},
        {"the section in another case",
         "[ \\software\\qj47r emulator ]\nRamExpansion=TRUE\nGraphics1=FALSE\nGraphics2=\n"},
        {"comments and other sections",
         "; RamExpansion=FALSE\n[Other]\nRamExpansion=FALSE\n[\\SOFTWARE\\QJ47R Emulator]\n# Graphics1=TRUE\n"
         "RamExpansion=TRUE\nGraphics1=FALSE\nGraphics2=\n"},
        {"a byte-order mark",
         "\xEF\xBB\xBF[\\SOFTWARE\\QJ47R Emulator]\nRamExpansion=TRUE\nGraphics1=FALSE\nGraphics2=\n"},
        {"the key in two sections",
         "[\\SOFTWARE\\QJ47R Emulator]\nRamExpansion=TRUE\n[Other]\nGraphics1=TRUE\n"
         "[\\Software\\QJ47R Emulator]\nGraphics1=FALSE\nGraphics2=\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        fixtures::TempDir dir;
        Spit(dir.File("qj47r.ini"), c.File);
        TSettingsStore store(dir.Path.string());
        EXPECT_EQ(store.ReadString("RamExpansion", "?"), "TRUE");
        EXPECT_EQ(store.ReadString("Graphics1", "?"), "FALSE");
        EXPECT_EQ(store.ReadString("Graphics2", "?"), "");
        EXPECT_EQ(Slurp(store.FilePath()), c.File) << "reading found every value: nothing written";
    }
}

// Writing one value changes its line and nothing else: the name as the file
// spells it, the spacing around the value, comments, other sections and the
// line ends stay; a new value goes to the end of its section, ending as the
// file's lines do.
TEST(SettingsStore, AWriteKeepsTheRestOfTheFileByteForByte) {
    const struct {
        const char* What;
        std::string Before;
        TSettingValues Values;
        std::string After;
    } cases[] = {
        {"a value with spaces, CR LF lines",
         "; mine\r\n[\\software\\qj47r emulator]\r\nramexpansion = TRUE "
         "\r\nGraphics1=TRUE\r\n\r\n[Other]\r\nX=1\r\n",
         {{"RamExpansion", "FALSE"}},
         "; mine\r\n[\\software\\qj47r emulator]\r\nramexpansion = "
         "FALSE \r\nGraphics1=TRUE\r\n\r\n[Other]\r\nX=1\r\n"},
        {"a new value in a section followed by another's comment",
         "[\\SOFTWARE\\QJ47R Emulator]\r\nGraphics1=TRUE\r\n\r\n; the next one\r\n[Other]\r\nX=1",
         {{"ScanDouble", "FALSE"}, {"Graphics2", "TRUE"}},
         "[\\SOFTWARE\\QJ47R Emulator]\r\nGraphics1=TRUE\r\nScanDouble=FALSE\r\nGraphics2=TRUE\r\n\r\n"
         "; the next one\r\n[Other]\r\nX=1"},
        {"a new section after a last line without its end",
         "[Other]\nX=1",
         {{"Graphics1", "FALSE"}},
         "[Other]\nX=1\n\n[\\SOFTWARE\\QJ47R Emulator]\nGraphics1=FALSE\n"},
        {"a new value after a header without its end",
         "[\\SOFTWARE\\QJ47R Emulator]",
         {{"Graphics1", "FALSE"}},
         "[\\SOFTWARE\\QJ47R Emulator]\nGraphics1=FALSE\n"},
        {"a byte-order mark before a value",
         "\xEF\xBB\xBF[\\SOFTWARE\\QJ47R Emulator]\nGraphics1 = TRUE\n",
         {{"graphics1", "FALSE"}},
         "\xEF\xBB\xBF[\\SOFTWARE\\QJ47R Emulator]\nGraphics1 = FALSE\n"},
        {"a text of several lines",
         "",
         {{"Graphics1", "two\nlines\r"}},
         "[\\SOFTWARE\\QJ47R Emulator]\nGraphics1=two lines \n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        fixtures::TempDir dir;
        if (!c.Before.empty()) Spit(dir.File("qj47r.ini"), c.Before);
        TSettingsStore store(dir.Path.string());
        EXPECT_TRUE(store.WriteStrings(c.Values)) << store.LastError;
        EXPECT_EQ(Slurp(store.FilePath()), c.After);
    }
}

// A file that exists but cannot be read may hold anything: it is neither
// created with a default nor written, and the reason is told. A FIFO or a
// folder in its place does not hold the reader up.
TEST(SettingsStore, AFileThatCannotBeReadIsNeverWritten) {
    const std::string skipped =
        fixtures::CheckEachUnreadableSettingsFile([](const auto& c, const fs::path& folder) {
            const std::string reason = c.Reason;
            TSettingsStore store(folder.string());
            if (store.ReadString("RamExpansion", "TRUE") != "TRUE") return 1;
            if (store.ReadProblem != reason) return 2;
            if (store.WriteString("Graphics2", "TRUE")) return 3;
            if (!store.Refused) return 5;
            return store.LastError == "the file cannot be read (" + reason + ")" ? 0 : 4;
        });
    if (!skipped.empty())
        GTEST_SKIP() << "cannot run as an unprivileged user here: " << skipped << " left out";
}

// A failed write raises nothing and says why: the configuration folder cannot
// be made, or the file may be read but not written.
TEST(SettingsStore, AFailedWriteNamesItsReason) {
    fixtures::TempDir dir;
    const std::string blocked = dir.File("blocked"); // a plain file: no folder can be made there
    Spit(blocked, "x");
    TSettingsStore store(blocked + "/qj47r");
    bool ok = true;
    EXPECT_NO_THROW(ok = store.WriteString("Graphics2", "TRUE"));
    EXPECT_FALSE(ok);
    EXPECT_EQ(store.LastError, "the folder " + blocked + "/qj47r cannot be created: Not a directory");
    // A read answers with the default, and the file is not one it cannot read.
    EXPECT_EQ(store.ReadString("Graphics2", "TRUE"), "TRUE");
    EXPECT_TRUE(store.ReadProblem.empty());

    fixtures::TempDir open;
    fixtures::OpenToEveryone(open.Path);
    const std::string file = open.File("qj47r.ini");
    Spit(file, "[\\SOFTWARE\\QJ47R Emulator]\nGraphics2=FALSE\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const int result = fixtures::RunUnprivileged([&] {
        TSettingsStore store(open.Path.string());
        if (store.ReadString("Graphics2", "TRUE") != "FALSE") return 1;
        if (store.WriteString("Graphics2", "TRUE")) return 2;
        if (store.Refused) return 4; // the system's refusal, not the store's
        return store.LastError == "Permission denied" ? 0 : 3;
    });
    if (result < 0) GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Slurp(file), "[\\SOFTWARE\\QJ47R Emulator]\nGraphics2=FALSE\n");
}

// The store never writes a file it would refuse to read back: a file near the
// limit keeps what it holds, reads on, and the write says why it was refused.
TEST(SettingsStore, NeverWritesAFileLargerThanItReads) {
    fixtures::TempDir dir;
    TSettingsStore store(dir.Path.string());
    const std::string head = "[\\SOFTWARE\\QJ47R Emulator]\nGraphics1=FALSE\n";
    const std::string nearlyFull =
        head + "; " + std::string(TSettingsStore::MaxFileSize - head.size() - 3, 'x') + "\n";
    ASSERT_EQ(nearlyFull.size(), TSettingsStore::MaxFileSize);
    Spit(store.FilePath(), nearlyFull);

    EXPECT_EQ(store.ReadString("RamExpansion", "TRUE"), "TRUE"); // its default, not stored
    EXPECT_EQ(store.LastError,
              "the file would be larger than 65536 bytes, the most a settings file may hold");
    EXPECT_TRUE(store.Refused);
    EXPECT_TRUE(store.Added.empty());
    EXPECT_FALSE(store.WriteString("Graphics2", "TRUE"));
    EXPECT_EQ(Slurp(store.FilePath()), nearlyFull);
    // Still read, and a write that does not make it larger still happens.
    EXPECT_EQ(store.ReadString("Graphics1", "TRUE"), "FALSE");
    EXPECT_TRUE(store.ReadProblem.empty());
    EXPECT_TRUE(store.WriteString("Graphics1", "TRUE"));
    EXPECT_EQ(store.ReadString("Graphics1", "FALSE"), "TRUE");
}

// A write that makes the file exactly as large as the store reads happens and
// reads back; one byte more is refused and leaves the file as it was.
TEST(SettingsStore, AWriteMayFillTheFileToTheLimitAndNoFurther) {
    const std::string value = "Graphics1=TRUE\n"; // what the write adds
    const struct {
        std::uint64_t Size;
        bool Written;
    } cases[] = {{TSettingsStore::MaxFileSize, true}, {TSettingsStore::MaxFileSize + 1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Size);
        fixtures::TempDir dir;
        TSettingsStore store(dir.Path.string());
        const std::string before = fixtures::PaddedSettings(fixtures::SettingsHeader, c.Size - value.size());
        Spit(store.FilePath(), before);
        EXPECT_EQ(store.WriteString("Graphics1", "TRUE"), c.Written) << store.LastError;
        if (c.Written) {
            EXPECT_EQ(fs::file_size(store.FilePath()), c.Size);
            EXPECT_EQ(store.ReadString("Graphics1", "FALSE"), "TRUE");
            EXPECT_TRUE(store.ReadProblem.empty()) << store.ReadProblem;
            EXPECT_EQ(fs::file_size(store.FilePath()), c.Size) << "the read found the value: nothing added";
        } else {
            EXPECT_TRUE(store.Refused);
            EXPECT_EQ(store.LastError,
                      "the file would be larger than 65536 bytes, the most a settings file may hold");
            EXPECT_EQ(Slurp(store.FilePath()), before);
        }
    }
}

// A read of several values that finds some missing stores their defaults in
// one write: all of them when the file can take them all, to the byte, and
// none when it cannot take the last, so that the file is never left with
// some of the defaults a run added and without the others.
TEST(SettingsStore, MissingDefaultsAreStoredAllOrNone) {
    const TSettingValues defaults = {
        {"RamExpansion", "TRUE"}, {"Graphics1", "TRUE"}, {"Graphics2", "TRUE"}, {"ScanDouble", "TRUE"}};
    const std::string head = "; kept by hand\n[Other]\nName=kept\n";
    const std::size_t added = fixtures::NewSectionBytes + fixtures::FourDefaultsBytes;
    const struct {
        const char* What;
        std::size_t Size;
        bool Stored;
    } cases[] = {
        {"all four fit to the byte", TSettingsStore::MaxFileSize - added, true},
        {"one byte too many for the fourth", TSettingsStore::MaxFileSize - added + 1, false},
        // Three of the four would fit (the file would grow to 65522 bytes).
        {"a user's file of 65446 bytes", 65446, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        fixtures::TempDir dir;
        TSettingsStore store(dir.Path.string());
        const std::string before = fixtures::PaddedSettings(head, c.Size);
        Spit(store.FilePath(), before);
        EXPECT_EQ(store.ReadStrings(defaults), (std::vector<std::string>{"TRUE", "TRUE", "TRUE", "TRUE"}));
        EXPECT_TRUE(store.ReadProblem.empty());
        if (c.Stored) {
            EXPECT_EQ(store.Added,
                      (std::vector<std::string>{"RamExpansion", "Graphics1", "Graphics2", "ScanDouble"}));
            EXPECT_EQ(Slurp(store.FilePath()), before + "\n" + fixtures::SettingsHeader +
                                                   "RamExpansion=TRUE\nGraphics1=TRUE\nGraphics2=TRUE\n"
                                                   "ScanDouble=TRUE\n");
            EXPECT_EQ(fs::file_size(store.FilePath()), TSettingsStore::MaxFileSize);
            EXPECT_TRUE(store.LastError.empty()) << store.LastError;
        } else {
            EXPECT_TRUE(store.Added.empty());
            EXPECT_EQ(Slurp(store.FilePath()), before);
            EXPECT_TRUE(store.Refused);
            EXPECT_EQ(store.LastError,
                      "the file would be larger than 65536 bytes, the most a settings file may hold");
        }
    }
    // The values the file holds are read, and only the missing one is added.
    fixtures::TempDir dir;
    TSettingsStore store(dir.Path.string());
    Spit(store.FilePath(), fixtures::SettingsHeader + "Graphics1=FALSE\nRamExpansion=yes\nGraphics2=TRUE\n");
    EXPECT_EQ(store.ReadStrings(defaults), (std::vector<std::string>{"yes", "FALSE", "TRUE", "TRUE"}));
    EXPECT_EQ(store.Added, std::vector<std::string>{"ScanDouble"});
    EXPECT_EQ(Slurp(store.FilePath()),
              fixtures::SettingsHeader +
                  "Graphics1=FALSE\nRamExpansion=yes\nGraphics2=TRUE\nScanDouble=TRUE\n");
}

TEST(SettingsStore, FreeFunctionsUseTheUsersConfigurationFolder) {
    fixtures::TempDir dir;
    std::optional<fixtures::ScopedEnv> config(std::in_place, "XDG_CONFIG_HOME", dir.Path.string());
    EXPECT_EQ(TSettingsStore::UserConfigFolder(), dir.Path.string());
    EXPECT_EQ(SettingsStore().FilePath(), dir.File("qj47r.ini"));
    EXPECT_EQ(ReadRegistryString("Graphics1", "TRUE"), "TRUE");
    EXPECT_TRUE(WriteRegistryString("Graphics1", "FALSE"));
    EXPECT_EQ(ReadRegistryString("Graphics1", "TRUE"), "FALSE");
    EXPECT_TRUE(fs::exists(dir.File("qj47r.ini")));

    config.emplace("XDG_CONFIG_HOME", nullptr);
    const fixtures::ScopedEnv home("HOME", dir.Path.string());
    EXPECT_EQ(TSettingsStore::UserConfigFolder(), (dir.Path / ".config").string());
    EXPECT_EQ(ReadRegistryString("ScanDouble", "TRUE"), "TRUE");
    EXPECT_TRUE(fs::exists(dir.File(".config/qj47r.ini")));

    fixtures::TempDir other;
    SetSettingsFolder(other.Path.string());
    EXPECT_EQ(ReadRegistryString("ScanDouble", "FALSE"), "FALSE");
    EXPECT_TRUE(fs::exists(other.File("qj47r.ini")));
    SetSettingsFolder("");
}

// The settings file is never a relative path: with HOME unset, empty or
// relative (and no absolute XDG_CONFIG_HOME), it lies in the user's home from
// the password database.
TEST(SettingsStore, WithoutHomeTheFileLiesInTheHomeOfThePasswordDatabase) {
    const passwd* user = ::getpwuid(::geteuid());
    ASSERT_TRUE(user && user->pw_dir && user->pw_dir[0] == '/');
    const std::string expected = (fs::path(user->pw_dir) / ".config" / "qj47r.ini").string();
    for (const char* home : {static_cast<const char*>(nullptr), "", "relative/home"})
        for (const char* config : {static_cast<const char*>(nullptr), "relative/config"}) {
            SCOPED_TRACE(std::string("HOME ") + (home ? "\"" + std::string(home) + "\"" : "unset") +
                         ", XDG_CONFIG_HOME " + (config ? config : "unset"));
            const fixtures::ScopedEnv scopedHome("HOME", home);
            const fixtures::ScopedEnv scopedConfig("XDG_CONFIG_HOME", config);
            EXPECT_EQ(TSettingsStore().FilePath(), expected);
            EXPECT_EQ(SettingsStore().FilePath(), expected);
        }
}

// Without any home there is no file: a read gives the default and a write is
// refused, each saying why, and nothing is made in the current folder.
TEST(SettingsStore, WithoutAnyHomeNothingIsReadOrWritten) {
    const std::string noHome = "no home folder is known (HOME is not set, nor a home in the user database)";
    const int result = fixtures::RunWithoutAnyHome([&] {
        TSettingsStore store;
        if (!store.FilePath().empty()) return 1;
        if (store.ReadString("Graphics1", "TRUE") != "TRUE" || store.ReadProblem != noHome) return 2;
        if (!store.Added.empty()) return 3;
        if (store.WriteString("Graphics1", "FALSE")) return 4;
        if (store.LastError != "the file cannot be read (" + noHome + ")") return 5;
        return fs::exists("qj47r.ini") || fs::exists(".config") ? 6 : 0;
    });
    if (result < 0) GTEST_SKIP() << "cannot run as a user without a home here";
    EXPECT_EQ(result, 0);
}
