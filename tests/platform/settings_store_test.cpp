#include "fixtures/temp_dir.h"
#include "platform/settings_store.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {
std::string Slurp(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
} // namespace

TEST(SettingsStore, FirstReadCreatesTheValueWithItsDefault) {
    fixtures::TempDir dir;
    TSettingsStore store(dir.Path.string());
    EXPECT_EQ(store.ReadString("RamExpansion", "TRUE"), "TRUE");
    const std::string file = Slurp(store.FilePath());
    EXPECT_NE(file.find("[\\SOFTWARE\\QJ47R Emulator]\n"), std::string::npos);
    EXPECT_NE(file.find("RamExpansion=TRUE\n"), std::string::npos);
    // Stored now: another default does not replace it.
    EXPECT_EQ(store.ReadString("RamExpansion", "FALSE"), "TRUE");
}

TEST(SettingsStore, WritesReplaceAndKeepOtherValuesAndSections) {
    fixtures::TempDir dir;
    const std::string path = dir.File("qj47r.ini");
    {
        std::ofstream out(path);
        out << "[Other]\nGraphics1=kept\n\n[\\SOFTWARE\\QJ47R Emulator]\nGraphics1=TRUE\nScanDouble=TRUE\n";
    }
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
    {
        std::ofstream out(path);
        out << "[\\SOFTWARE\\QJ47R Emulator]\nScanDouble=FALSE\nGraphics1=\n";
    }
    EXPECT_EQ(store.ReadString("ScanDouble", "TRUE"), "FALSE");
    EXPECT_EQ(store.ReadString("Graphics1", "TRUE"), "");
}

TEST(SettingsStore, AFileWithCrLfLineEndsReadsItsValuesWithoutTheLineEnd) {
    fixtures::TempDir dir;
    const std::string path = dir.File("qj47r.ini");
    std::ofstream(path, std::ios::binary)
        << "[\\SOFTWARE\\QJ47R Emulator]\r\nRamExpansion=TRUE\r\nGraphics1=FALSE\r\nScanDouble=\r\n";
    TSettingsStore store(dir.Path.string());
    EXPECT_EQ(store.ReadString("RamExpansion", "?"), "TRUE");
    EXPECT_EQ(store.ReadString("Graphics1", "?"), "FALSE");
    EXPECT_EQ(store.ReadString("ScanDouble", "?"), "");
    // A write keeps the other values as they were meant.
    EXPECT_TRUE(store.WriteString("Graphics2", "TRUE"));
    EXPECT_EQ(store.ReadString("RamExpansion", "?"), "TRUE");
    EXPECT_EQ(store.ReadString("Graphics2", "?"), "TRUE");
}

TEST(SettingsStore, FailedWriteIsReportedNotThrown) {
    fixtures::TempDir dir;
    // The configuration folder is a plain file: nothing can be created in it.
    const std::string blocked = dir.File("blocked");
    std::ofstream(blocked) << "x";
    TSettingsStore store(blocked);
    bool ok = true;
    EXPECT_NO_THROW(ok = store.WriteString("Graphics2", "TRUE"));
    EXPECT_FALSE(ok);
    EXPECT_EQ(store.LastError.rfind("Failed to set data for 'Graphics2'", 0), 0u) << store.LastError;
    // A read still answers with the default.
    EXPECT_EQ(store.ReadString("Graphics2", "TRUE"), "TRUE");
}

TEST(SettingsStore, FreeFunctionsUseTheUsersConfigurationFolder) {
    fixtures::TempDir dir;
    setenv("XDG_CONFIG_HOME", dir.Path.c_str(), 1);
    EXPECT_EQ(TSettingsStore::UserConfigFolder(), dir.Path.string());
    EXPECT_EQ(ReadRegistryString("Graphics1", "TRUE"), "TRUE");
    EXPECT_TRUE(WriteRegistryString("Graphics1", "FALSE"));
    EXPECT_EQ(ReadRegistryString("Graphics1", "TRUE"), "FALSE");
    EXPECT_TRUE(fs::exists(dir.File("qj47r.ini")));

    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", dir.Path.c_str(), 1);
    EXPECT_EQ(TSettingsStore::UserConfigFolder(), (dir.Path / ".config").string());
    EXPECT_EQ(ReadRegistryString("ScanDouble", "TRUE"), "TRUE");
    EXPECT_TRUE(fs::exists(dir.File(".config/qj47r.ini")));

    fixtures::TempDir other;
    SetSettingsFolder(other.Path.string());
    EXPECT_EQ(ReadRegistryString("ScanDouble", "FALSE"), "FALSE");
    EXPECT_TRUE(fs::exists(other.File("qj47r.ini")));
    SetSettingsFolder("");
}
