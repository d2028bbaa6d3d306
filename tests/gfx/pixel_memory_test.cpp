// Pixel memory: every picture-sized allocation of the library raises its own
// exception ("Can't allocate the DIB handle") when memory runs out and leaves
// the object it worked on as it was, and loading a picture holds one new
// picture at a time. This test program replaces the global allocation
// functions, to count the bytes in use and to make large allocations fail.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <random>
#include <typeinfo>

#include "fixtures/temp_dir.h"
#include "gfx_test_support.h"
#include "platform/streams.h"

namespace {
std::atomic<size_t> FailFrom{SIZE_MAX};
std::atomic<int64_t> InUse{0}, PeakInUse{0};
// Each block starts with its size, so that a release knows what it returns.
constexpr size_t kHeader = alignof(std::max_align_t);

void* Allocate(size_t Bytes) {
    if (Bytes >= FailFrom.load()) return nullptr;
    auto* Block = static_cast<unsigned char*>(std::malloc(Bytes + kHeader));
    if (!Block) return nullptr;
    std::memcpy(Block, &Bytes, sizeof Bytes);
    const int64_t Now = InUse += int64_t(Bytes);
    for (int64_t Peak = PeakInUse.load(); Now > Peak && !PeakInUse.compare_exchange_weak(Peak, Now);) {
    }
    return Block + kHeader;
}

void Release(void* P) noexcept {
    if (!P) return;
    unsigned char* Block = static_cast<unsigned char*>(P) - kHeader;
    size_t Bytes;
    std::memcpy(&Bytes, Block, sizeof Bytes);
    InUse -= int64_t(Bytes);
    std::free(Block);
}
} // namespace

void* operator new(size_t Bytes) {
    if (void* P = Allocate(Bytes)) return P;
    throw std::bad_alloc();
}
void* operator new[](size_t Bytes) { return operator new(Bytes); }
void* operator new(size_t Bytes, const std::nothrow_t&) noexcept { return Allocate(Bytes); }
void* operator new[](size_t Bytes, const std::nothrow_t&) noexcept { return Allocate(Bytes); }
void operator delete(void* P) noexcept { Release(P); }
void operator delete[](void* P) noexcept { Release(P); }
void operator delete(void* P, size_t) noexcept { Release(P); }
void operator delete[](void* P, size_t) noexcept { Release(P); }
void operator delete(void* P, const std::nothrow_t&) noexcept { Release(P); }
void operator delete[](void* P, const std::nothrow_t&) noexcept { Release(P); }

using namespace gfx;
using gfx_test::EventLog;

namespace {
// Within the scope, every allocation of 100000 bytes or more fails; the
// pictures below need more, the test's own bookkeeping less.
struct LargeAllocationsFail {
    LargeAllocationsFail() { FailFrom = 100000; }
    ~LargeAllocationsFail() { FailFrom = SIZE_MAX; }
};

// Runs Call with large allocations failing: "" when it raised the library's
// exception with its message, else what happened instead.
template <typename Fn> std::string OutOfMemory(Fn Call) {
    LargeAllocationsFail Scope;
    try {
        Call();
    } catch (const platform::EOutOfResources& E) {
        return E.what() == std::string("Can't allocate the DIB handle") ? "" : E.what();
    } catch (const std::exception& E) {
        return typeid(E).name() + std::string(": ") + E.what();
    }
    return "no exception";
}

// 300 x 200 pixels of noise: 240000 bytes.
void Noise(TBitmap32& B, int W = 300, int H = 200) {
    std::mt19937 Gen(7);
    B.SetSize(W, H);
    for (int I = 0; I < W * H; ++I)
        B.Bits()[I] = Gen();
}
} // namespace

TEST(OutOfMemory, AnInPlaceQuarterTurnKeepsTheBitmapAsItWas) {
    TBitmap32 Before;
    Noise(Before);
    for (auto Turn : {&TBitmap32::Rotate90, &TBitmap32::Rotate270}) {
        EventLog Log;
        TBitmap32 B;
        B.Assign(&Before);
        Log.Attach(B);
        EXPECT_EQ(OutOfMemory([&] { (B.*Turn)(nullptr); }), "");
        EXPECT_EQ(B.Width(), 300);
        EXPECT_EQ(B.Height(), 200);
        EXPECT_TRUE(B.Equal(&Before));
        EXPECT_TRUE(Log.Events.empty()) << "nothing changed, nothing is reported";
    }
}

TEST(OutOfMemory, ASizeThatCannotBeHadLeavesTheBitmapEmpty) {
    EventLog Log;
    TBitmap32 B;
    B.SetSize(3, 1);
    Log.Attach(B);
    EXPECT_EQ(OutOfMemory([&] { B.SetSize(300, 200); }), "");
    EXPECT_TRUE(B.Empty());
    EXPECT_EQ(B.Width(), 0);
    EXPECT_EQ(Log.Events, (std::vector<std::string>{"handle"}));
}

TEST(OutOfMemory, EveryOtherPictureSizedBufferRaisesTheLibrarysException) {
    fixtures::TempDir Dir;
    TBitmap32 Picture;
    Noise(Picture);
    platform::TMemoryStream File, Payload;
    Picture.SaveToStream(File);
    Picture.WriteData(Payload);
    const std::string FileName = Dir.File("picture.bmp");
    Picture.SaveToFile(FileName);
    constexpr uintptr_t kModule = 0x500000;
    RegisterBitmapResource(kModule, 1, std::vector<uint8_t>(File.Memory(), File.Memory() + File.Size()));

    // What the operations work on, and what each must still hold afterwards.
    TBitmap32 B;
    B.SetSize(3, 1);
    B.Clear(0x12345678);
    TByteMap Map;
    Map.SetSize(3, 2);
    Map.Clear(9);
    TBitmap32 Wide, Row; // a stretch whose maps and buffers are larger than a picture's row
    Wide.SetSize(60000, 2);
    Wide.Clear(0xFF0000FF);
    Noise(Row, 20000, 1);
    auto Stretch = [&](TStretchFilter Filter) {
        StretchTransfer(&Wide, Wide.BoundsRect(), Wide.BoundsRect(), &Row, Row.BoundsRect(), Filter,
                        dmOpaque);
    };

    const std::pair<const char*, std::function<void()>> Cases[] = {
        {"ReadData",
         [&] {
             Payload.SetPosition(0);
             B.ReadData(Payload);
         }},
        {"LoadFromStream",
         [&] {
             File.SetPosition(0);
             B.LoadFromStream(File);
         }},
        {"LoadFromFile", [&] { B.LoadFromFile(FileName); }},
        {"LoadFromResourceID", [&] { B.LoadFromResourceID(kModule, 1); }},
        {"Draw from a device context",
         [&] { B.Draw(B.BoundsRect(), Picture.BoundsRect(), Picture.Handle()); }},
        {"SaveToFile", [&] { Picture.SaveToFile(Dir.File("copy.bmp")); }},
        {"byte map SetSize", [&] { Map.SetSize(400, 300); }},
        {"nearest resampling", [&] { Stretch(sfNearest); }},
        {"bilinear resampling", [&] { Stretch(sfLinear); }},
        {"kernel resampling", [&] { Stretch(sfSpline); }},
    };
    for (const auto& [Name, Call] : Cases) {
        EXPECT_EQ(OutOfMemory(Call), "") << Name;
        EXPECT_EQ(B.Width(), 3) << Name;
        EXPECT_EQ(B.Height(), 1) << Name;
        EXPECT_EQ(B.Pixel(2, 0), 0x12345678u) << Name;
        EXPECT_EQ(Map.Width(), 3) << Name;
        EXPECT_EQ(Map.GetValue(2, 1), 9) << Name;
        EXPECT_TRUE(std::all_of(Wide.Bits(), Wide.Bits() + 120000, [](TColor32 P) {
            return P == 0xFF0000FF;
        })) << Name;
        EXPECT_FALSE(std::filesystem::exists(Dir.File("copy.bmp"))) << Name;
    }
    UnregisterBitmapResources(kModule);
}

TEST(PixelMemory, ALoadHoldsOneNewPictureAtATime) {
    // 300 x 200 pixels: 240000 bytes, also in the file. A load decodes into
    // the new picture's memory row by row; a copy of the file or a second
    // picture would come to twice that.
    fixtures::TempDir Dir;
    TBitmap32 Picture;
    Noise(Picture);
    platform::TMemoryStream File;
    Picture.SaveToStream(File);
    const std::string FileName = Dir.File("picture.bmp");
    Picture.SaveToFile(FileName);
    const std::pair<const char*, std::function<void(TBitmap32&)>> Loads[] = {
        {"LoadFromFile", [&](TBitmap32& B) { B.LoadFromFile(FileName); }},
        {"LoadFromStream",
         [&](TBitmap32& B) {
             File.SetPosition(0);
             B.LoadFromStream(File);
         }},
    };
    for (const auto& [Name, Load] : Loads) {
        TBitmap32 B;
        B.SetSize(3, 1);
        const int64_t Before = InUse;
        PeakInUse = Before;
        Load(B);
        EXPECT_TRUE(B.Equal(&Picture)) << Name;
        EXPECT_LT(PeakInUse - Before, 240000 * 5 / 4) << Name;
    }
}
