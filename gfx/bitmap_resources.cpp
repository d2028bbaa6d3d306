#include "gfx/bitmap_resources.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>
#include <tuple>

namespace gfx {

namespace {
// A resource is named by a number or by an upper-cased name.
using TKey = std::tuple<uintptr_t, bool, int32_t, std::string>;

std::string Upper(std::string S) {
    std::transform(S.begin(), S.end(), S.begin(), [](unsigned char C) { return char(std::toupper(C)); });
    return S;
}

struct TTable {
    std::mutex Guard;
    std::map<TKey, std::vector<uint8_t>> Files;
};
TTable& Table() {
    static TTable T;
    return T;
}

void Register(TKey Key, std::vector<uint8_t> File) {
    TTable& T = Table();
    std::lock_guard<std::mutex> G(T.Guard);
    T.Files[std::move(Key)] = std::move(File);
}

std::vector<uint8_t> Find(const TKey& Key, const std::string& Shown) {
    TTable& T = Table();
    std::lock_guard<std::mutex> G(T.Guard);
    const auto It = T.Files.find(Key);
    if (It == T.Files.end()) throw EResNotFound("Resource " + Shown + " not found");
    return It->second;
}
} // namespace

void RegisterBitmapResource(uintptr_t Instance, int32_t ResID, std::vector<uint8_t> BitmapFile) {
    Register({Instance, false, ResID, {}}, std::move(BitmapFile));
}

void RegisterBitmapResource(uintptr_t Instance, const std::string& ResName, std::vector<uint8_t> BitmapFile) {
    Register({Instance, true, 0, Upper(ResName)}, std::move(BitmapFile));
}

void UnregisterBitmapResources(uintptr_t Instance) {
    TTable& T = Table();
    std::lock_guard<std::mutex> G(T.Guard);
    std::erase_if(T.Files, [Instance](const auto& Entry) { return std::get<0>(Entry.first) == Instance; });
}

std::vector<uint8_t> FindBitmapResource(uintptr_t Instance, int32_t ResID) {
    return Find({Instance, false, ResID, {}}, std::to_string(ResID));
}

std::vector<uint8_t> FindBitmapResource(uintptr_t Instance, const std::string& ResName) {
    return Find({Instance, true, 0, Upper(ResName)}, ResName);
}

} // namespace gfx
