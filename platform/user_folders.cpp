#include "platform/user_folders.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace platform {

namespace {

bool Absolute(const char* path) { return path && *path == '/'; }

// The path without "." and ".." parts and without a trailing separator.
std::filesystem::path Normal(const std::string& path) {
    std::filesystem::path p = std::filesystem::path(path).lexically_normal();
    return p.has_relative_path() && !p.has_filename() ? p.parent_path() : p;
}

std::string& SystemTemporary() {
    static std::string folder = "/tmp";
    return folder;
}

} // namespace

std::string UserHomeFolder() {
    if (const char* home = std::getenv("HOME"); Absolute(home)) return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buffer(std::size_t(size > 0 ? size : 16384), '\0');
    passwd entry{}, *found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        Absolute(found->pw_dir))
        return found->pw_dir;
    return {};
}

std::string UserFolder(const char* variable, const char* underHome) {
    if (const char* value = std::getenv(variable); Absolute(value)) return value;
    const std::string home = UserHomeFolder();
    return home.empty() ? std::string() : (std::filesystem::path(home) / underHome).string();
}

std::vector<std::string> TemporaryFolders() {
    std::vector<std::string> folders;
    const std::string& system = SystemTemporary();
    const char* tmp = std::getenv("TMPDIR");
    if (Absolute(tmp) && Normal(tmp) != Normal(system)) folders.push_back(tmp);
    folders.push_back(system);
    return folders;
}

const std::string& SystemTemporaryFolder() { return SystemTemporary(); }

void SetSystemTemporaryFolder(const std::string& folder) {
    SystemTemporary() = folder.empty() ? "/tmp" : folder;
}

} // namespace platform
