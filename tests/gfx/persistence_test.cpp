// Bitmap files (our own reader and writer), files, resources, Equal and the
// "Data" property of form descriptions.
#include <cstring>
#include <fstream>
#include <memory>

#include "fixtures/bmp_file.h"
#include "fixtures/file_faults.h"
#include "fixtures/temp_dir.h"
#include "gfx_test_support.h"
#include "platform/streams.h"

using namespace gfx;
using gfx_test::EventLog;

namespace {
using fixtures::BmpFile;
using fixtures::Bytes;
using fixtures::Plain32;

void Feed(platform::TMemoryStream& S, const Bytes& B) {
    S.WriteBuffer(B.data(), B.size());
    S.SetPosition(0);
}

// What Call raised: the exception's message, or "" when none.
template <typename Fn> std::string RaisedBy(Fn Call) {
    try {
        Call();
    } catch (const platform::Exception& E) {
        return E.what();
    }
    return "";
}

// Loads the bytes into B; the exception's message, or "" when none.
std::string Load(TBitmap32& B, const Bytes& File) {
    platform::TMemoryStream S;
    Feed(S, File);
    return RaisedBy([&] { B.LoadFromStream(S); });
}

std::vector<TColor32> Pixels(const TBitmap32& B) {
    return B.Empty() ? std::vector<TColor32>{}
                     : std::vector<TColor32>(B.Bits(), B.Bits() + size_t(B.Width()) * B.Height());
}

// A filer that records the one property declared and keeps its procedures.
struct RecordingFiler : TFiler {
    std::string Name;
    TStreamProc Reader, Writer;
    bool HasData = false;
    int Calls = 0;
    void DefineBinaryProperty(const std::string& N, TStreamProc R, TStreamProc W, bool H) override {
        Name = N, Reader = std::move(R), Writer = std::move(W), HasData = H;
        ++Calls;
    }
};

// A stream that claims Size bytes and reads Head and then zeros: large files
// without the memory. Past Delivered its reads stop short, or fail with
// Raises, as a file cut while it is read or a failing disc would.
struct HugeStream : platform::TStream {
    Bytes Head;
    int64_t Length = 0, Pos = 0;
    int64_t Delivered = INT64_MAX;
    bool Raises = false;
    size_t Read(void* Buffer, size_t Count) override {
        if (Raises && Pos + int64_t(Count) > Delivered) throw platform::EReadError();
        const size_t N = size_t(std::min<int64_t>(int64_t(Count), std::min(Length, Delivered) - Pos));
        auto* Out = static_cast<uint8_t*>(Buffer);
        for (size_t I = 0; I < N; ++I, ++Pos)
            Out[I] = Pos < int64_t(Head.size()) ? Head[size_t(Pos)] : 0;
        return N;
    }
    size_t Write(const void*, size_t) override { return 0; }
    int64_t Seek(int64_t Offset, platform::TSeekOrigin O) override {
        Pos = (O == platform::TSeekOrigin::soBeginning ? 0
               : O == platform::TSeekOrigin::soCurrent ? Pos
                                                       : Length) +
              Offset;
        return Pos;
    }
    int64_t Size() override { return Length; }
};

class TDerivedBitmap : public TBitmap32 {};
} // namespace

TEST(BitmapFile, SaveWritesAPlain32BitFileBottomUp) {
    TBitmap32 B;
    B.SetSize(2, 2);
    B.SetPixel(0, 0, 0x80112233);
    B.SetPixel(1, 0, 0x00445566);
    B.SetPixel(0, 1, 0xFFAABBCC);
    B.SetPixel(1, 1, 0x01020304);
    platform::TMemoryStream S;
    B.SaveToStream(S);
    ASSERT_EQ(S.Size(), 54 + 16);
    const uint8_t* F = S.Memory();
    EXPECT_EQ(F[0], 'B');
    EXPECT_EQ(F[1], 'M');
    uint32_t Field;
    std::memcpy(&Field, F + 2, 4);
    EXPECT_EQ(Field, 70u); // file size
    std::memcpy(&Field, F + 10, 4);
    EXPECT_EQ(Field, 54u); // pixel offset
    std::memcpy(&Field, F + 14, 4);
    EXPECT_EQ(Field, 40u); // header size
    std::memcpy(&Field, F + 22, 4);
    EXPECT_EQ(int32_t(Field), 2); // positive height: bottom-up
    EXPECT_EQ(F[28], 32);         // bits per pixel
    std::memcpy(&Field, F + 30, 4);
    EXPECT_EQ(Field, 0u); // uncompressed
    // The bottom row first, each pixel B, G, R, A.
    EXPECT_EQ(Bytes(F + 54, F + 62), (Bytes{0xCC, 0xBB, 0xAA, 0xFF, 0x04, 0x03, 0x02, 0x01}));
    EXPECT_EQ(Bytes(F + 62, F + 70), (Bytes{0x33, 0x22, 0x11, 0x80, 0x66, 0x55, 0x44, 0x00}));
}

TEST(BitmapFile, SaveThenLoadIsEqualAndReportsTwoChanges) {
    EventLog Log;
    TBitmap32 A, B;
    A.SetSize(37, 11);
    for (int I = 0; I < 37 * 11; ++I)
        A.Bits()[I] = TColor32(I * 2654435761u);
    platform::TMemoryStream S;
    S.WriteBuffer("prefix", 6); // the file starts at the stream's position
    A.SaveToStream(S);
    S.SetPosition(6);
    Log.Attach(B);
    B.SetDrawMode(dmBlend);
    Log.Events.clear();
    B.LoadFromStream(S);
    EXPECT_TRUE(B.Equal(&A));
    EXPECT_EQ(B.DrawMode(), dmBlend); // not taken from a file
    EXPECT_EQ(Log.Count("change"), 2);
    EXPECT_EQ(Log.Count("resize"), 1);
    EXPECT_EQ(S.Position(), S.Size());

    // An empty bitmap writes nothing, and nothing loads as an empty bitmap.
    TBitmap32 Empty;
    platform::TMemoryStream None;
    Empty.SaveToStream(None);
    EXPECT_EQ(None.Size(), 0);
    B.LoadFromStream(None);
    EXPECT_TRUE(B.Empty());
    EXPECT_EQ(B.Width(), 0);
}

TEST(BitmapFile, ReadsOtherDepthsAndLayouts) {
    for (const fixtures::BmpSample& C : fixtures::BmpSamples()) {
        TBitmap32 B;
        EXPECT_EQ(Load(B, C.File.Build()), "") << C.Name;
        EXPECT_EQ(Pixels(B), C.Want) << C.Name;
    }
}

TEST(BitmapFile, DamagedFilesRaiseAndLeaveTheBitmapAsItWas) {
    const std::string Invalid = "Bitmap image is not valid";
    struct Case {
        const char* Name;
        Bytes File;
        std::string Message;
    };
    std::vector<Case> Cases;
    auto Add = [&](const char* Name, auto Damage, const std::string& Message) {
        BmpFile F = Plain32();
        Damage(F);
        Cases.push_back({Name, F.Build(), Message});
    };
    const Bytes Good = Plain32().Build();
    Cases.push_back({"truncated file header", Bytes(Good.begin(), Good.begin() + 10), Invalid});
    Cases.push_back({"truncated info header", Bytes(Good.begin(), Good.begin() + 30), Invalid});
    Cases.push_back({"truncated pixels", Bytes(Good.begin(), Good.end() - 1), Invalid});
    Cases.push_back({"one byte", Bytes{'B'}, Invalid});
    Add(
        "not a bitmap file", [](BmpFile& F) { F.Magic = 0x5A4D; }, Invalid);
    Add(
        "unknown header size", [](BmpFile& F) { F.HeaderSize = 20; }, Invalid);
    Add(
        "width 0", [](BmpFile& F) { F.Width = 0; }, Invalid);
    Add(
        "height 0", [](BmpFile& F) { F.Height = 0; }, Invalid);
    Add(
        "width 2^31", [](BmpFile& F) { F.Width = INT32_MIN; }, Invalid);
    Add(
        "height 2^31", [](BmpFile& F) { F.Height = INT32_MIN; }, Invalid);
    Add(
        "height -(2^31 - 1)", [](BmpFile& F) { F.Height = -INT32_MAX; }, Invalid);
    Add(
        "width x height x 4 past 32 bits", [](BmpFile& F) { F.Width = F.Height = 0x10000; }, Invalid);
    Add(
        "width x height past 32 bits", [](BmpFile& F) { F.Width = F.Height = 0x7FFFFFFF; }, Invalid);
    Add(
        "pixel offset past the end", [](BmpFile& F) { F.OffBits = 1000; }, Invalid);
    Add(
        "pixel offset just past the data", [](BmpFile& F) { F.OffBits = 55; }, Invalid);
    Add(
        "pixel offset inside the header", [](BmpFile& F) { F.OffBits = 20; }, Invalid);
    for (uint16_t Bpp : {0, 2, 3, 15, 48, 64})
        Add(
            "unsupported depth", [Bpp](BmpFile& F) { F.Bpp = Bpp; }, Invalid);
    for (uint32_t Compression : {1u, 2u, 4u, 5u, 6u, 11u, 0xFFFFFFFFu})
        Add(
            "compression not read", [Compression](BmpFile& F) { F.Compression = Compression; }, Invalid);
    Add(
        "masks with 24 bits",
        [](BmpFile& F) {
            F.Bpp = 24, F.Compression = 3, F.Masks = {0xFF0000, 0xFF00, 0xFF};
        },
        Invalid);
    Add(
        "masks cut off", [](BmpFile& F) { F.Compression = 3, F.Rows.clear(); }, Invalid);
    Add(
        "mask not one run of bits",
        [](BmpFile& F) {
            F.Compression = 3, F.Masks = {0xF0F000, 0xFF00, 0xFF};
        },
        Invalid);
    Add(
        "mask beyond 16 bits",
        [](BmpFile& F) {
            F.Bpp = 16, F.Compression = 3, F.Masks = {0x1F0000, 0x7E0, 0x1F};
        },
        Invalid);
    Add(
        "257 colours", [](BmpFile& F) { F.Bpp = 8, F.ColorsUsed = 257, F.Palette.resize(257); }, Invalid);
    Add(
        "palette past the end",
        [](BmpFile& F) { F.Bpp = 8, F.ColorsUsed = 0, F.Rows.clear(), F.OffBits = 54; }, Invalid);

    for (const Case& C : Cases) {
        EventLog Log;
        TBitmap32 B;
        B.SetSize(3, 1);
        B.Clear(0x12345678);
        B.SetMasterAlpha(99);
        Log.Attach(B);
        EXPECT_EQ(Load(B, C.File), C.Message) << C.Name;
        EXPECT_EQ(Pixels(B), std::vector<TColor32>(3, 0x12345678)) << C.Name;
        EXPECT_EQ(B.MasterAlpha(), 99u);
        EXPECT_EQ(B.UpdateCount(), 0);
        EXPECT_EQ(Log.Count("resize"), 0) << C.Name;
        EXPECT_EQ(Log.Count("change"), 1) << C.Name; // the load reports also when it fails
    }
}

TEST(BitmapFile, PicturesBeyondTheSizeLimitAreRefusedBeforeAllocating) {
    // A complete 40000 x 40000 32-bit file: 6.4 GB of pixels, past the 2 GB limit.
    BmpFile F;
    F.Width = F.Height = 40000;
    HugeStream S;
    S.Head = F.Build();
    S.Length = 54 + int64_t(40000) * 40000 * 4;
    TBitmap32 B;
    B.SetSize(1, 1);
    B.Clear(0xFF00FF00);
    try {
        B.LoadFromStream(S);
        FAIL() << "no exception";
    } catch (const platform::EOutOfResources& E) {
        EXPECT_STREQ(E.what(), "Can't allocate the DIB handle");
    }
    EXPECT_EQ(B.Pixel(0, 0), 0xFF00FF00u);
}

TEST(BitmapFile, AStreamThatDeliversLessThanItHoldsIsAnError) {
    // Its size covers the whole file; its reads end inside the file header or
    // inside the second row.
    const Bytes Good = Plain32().Build();
    for (int64_t Delivered : {10, 54 + 8 + 3})
        for (bool Raises : {false, true}) {
            SCOPED_TRACE(testing::Message() << Delivered << " bytes, raises " << Raises);
            HugeStream S;
            S.Head = Good;
            S.Length = int64_t(Good.size());
            S.Delivered = Delivered;
            S.Raises = Raises;
            EventLog Log;
            TBitmap32 B;
            B.SetSize(3, 1);
            B.Clear(0x12345678);
            Log.Attach(B);
            EXPECT_EQ(RaisedBy([&] { B.LoadFromStream(S); }), "Stream read error");
            EXPECT_EQ(Pixels(B), std::vector<TColor32>(3, 0x12345678));
            EXPECT_EQ(Log.Events, (std::vector<std::string>{"change"}));
        }
}

TEST(BitmapFile, AFileLargerThanAnyPictureIsRefusedUnread) {
    // A 2 x 2 file with a tail that the reader ignores, made sparse: at the
    // limit it loads, one byte more and it is refused before it is read.
    fixtures::TempDir Dir;
    const Bytes Good = Plain32().Build();
    const std::string Name = Dir.File("large.bmp");
    std::ofstream(Name, std::ios::binary)
        .write(reinterpret_cast<const char*>(Good.data()), long(Good.size()));
    TBitmap32 B;
    B.SetSize(3, 1);
    B.Clear(0x12345678);
    std::filesystem::resize_file(Name, kMaxBitmapFileBytes + 1);
    EXPECT_EQ(RaisedBy([&] { B.LoadFromFile(Name); }),
              "Cannot open file " + Name +
                  ": the file is larger than 2147484822 bytes, more than any picture the "
                  "library takes");
    EXPECT_EQ(Pixels(B), std::vector<TColor32>(3, 0x12345678));
    std::filesystem::resize_file(Name, kMaxBitmapFileBytes);
    B.LoadFromFile(Name);
    EXPECT_EQ(B.Width(), 2);
    EXPECT_EQ(B.Pixel(0, 0), 0x14131211u);
}

TEST(BitmapFile, FilesByExtensionThroughTheAtomicSave) {
    fixtures::TempDir Dir;
    EventLog Log;
    TBitmap32 A, B;
    A.SetSize(5, 3);
    A.Clear(0x7F102030);
    const std::string Name = Dir.File("picture.BMP");
    A.SaveToFile(Name);
    Log.Attach(B);
    B.LoadFromFile(Name);
    EXPECT_TRUE(B.Equal(&A));
    EXPECT_EQ(Log.Count("change"), 1); // only Assign's
    for (const auto& Entry : std::filesystem::directory_iterator(Dir.Path))
        EXPECT_EQ(Entry.path().filename(), "picture.BMP"); // no temporary file left

    auto Message = [&](const std::string& File) { return RaisedBy([&] { B.LoadFromFile(File); }); };
    EXPECT_EQ(Message(Dir.File("picture.png")), "Unknown picture file extension (.png)");
    EXPECT_EQ(Message(Dir.File("picture")), "Unknown picture file extension (.)");
    EXPECT_EQ(Message(Dir.File("missing.bmp")),
              "Cannot open file " + Dir.File("missing.bmp") + ": No such file or directory");
    EXPECT_EQ(Message(Dir.Path.string() + "/"), "Unknown picture file extension (.)");
    std::ofstream(Dir.File("short.bmp"), std::ios::binary) << "BM12";
    EXPECT_EQ(Message(Dir.File("short.bmp")), "Bitmap image is not valid");
    EXPECT_TRUE(B.Equal(&A));

    try {
        A.SaveToFile(Dir.File("no/such/folder/x.bmp"));
        FAIL() << "no exception";
    } catch (const platform::EFCreateError& E) {
        EXPECT_EQ(std::string(E.what()),
                  "Cannot create file " + Dir.File("no/such/folder/x.bmp") + ": No such file or directory");
    }
}

// The reader goes by what the file gives, not by the size it reports: the
// kernel's files report none, and one fails to read while another holds text.
TEST(BitmapFile, FilesThatAreNoRegularFilesOrFailToReadAreRefused) {
    fixtures::TempDir Dir;
    // Shared with the thread that loads, which a reader blocking on a FIFO would leave behind.
    const auto B = std::make_shared<TBitmap32>();
    B->SetSize(3, 1);
    B->Clear(0x12345678);
    auto Refusal = [B](const std::string& Name) {
        auto Message = std::make_shared<std::string>();
        if (!fixtures::EndsSoon([B, Message, Name] { *Message = RaisedBy([&] { B->LoadFromFile(Name); }); }))
            return std::string("still loading after two seconds");
        EXPECT_EQ(Pixels(*B), std::vector<TColor32>(3, 0x12345678));
        return *Message;
    };
    for (const fixtures::FileFault& Fault : fixtures::FileFaults) {
        SCOPED_TRACE(Fault.Kind);
        const std::string Name = Dir.File(std::string(Fault.Kind) + ".bmp");
        Fault.Make(Name);
        EXPECT_EQ(Refusal(Name), Fault.Message(Name));
    }
    const std::string Text = Dir.File("status.bmp");
    std::filesystem::create_symlink("/proc/self/status", Text);
    EXPECT_EQ(Refusal(Text), "Bitmap image is not valid");
}

TEST(BitmapFile, ResourcesByNumberAndByName) {
    constexpr uintptr_t kModule = 0x400000;
    TBitmap32 A;
    A.SetSize(2, 2);
    A.Clear(0x80808080);
    platform::TMemoryStream S;
    A.SaveToStream(S);
    const Bytes File(S.Memory(), S.Memory() + S.Size());
    RegisterBitmapResource(kModule, 12, File);
    RegisterBitmapResource(kModule, "Logo", File);
    RegisterBitmapResource(kModule, "Broken", Bytes(File.begin(), File.begin() + 40));

    EventLog Log;
    TBitmap32 B;
    Log.Attach(B);
    B.LoadFromResourceID(kModule, 12);
    EXPECT_TRUE(B.Equal(&A));
    EXPECT_EQ(Log.Count("change"), 2);
    B.SetSize(0, 0);
    B.LoadFromResourceName(kModule, "LOGO");
    EXPECT_TRUE(B.Equal(&A));

    Log.Events.clear();
    EXPECT_EQ(RaisedBy([&] { B.LoadFromResourceID(kModule, 13); }), "Resource 13 not found");
    EXPECT_EQ(RaisedBy([&] { B.LoadFromResourceName(kModule + 1, "Logo"); }), "Resource Logo not found");
    EXPECT_EQ(RaisedBy([&] { B.LoadFromResourceName(kModule, "broken"); }), "Bitmap image is not valid");
    EXPECT_EQ(Log.Count("change"), 3);
    EXPECT_TRUE(B.Equal(&A));
    UnregisterBitmapResources(kModule);
    EXPECT_THROW(B.LoadFromResourceID(kModule, 12), EResNotFound);
}

TEST(BitmapData, WriteDataPayload) {
    TBitmap32 B;
    B.SetSize(2, 1);
    B.SetPixel(0, 0, 0xFF0000FF); // opaque pure blue
    B.SetPixel(1, 0, 0x80FFFFFF); // white, alpha 128
    platform::TMemoryStream S;
    B.WriteData(S);
    EXPECT_EQ(Bytes(S.Memory(), S.Memory() + S.Size()),
              (Bytes{2, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x80}));

    EventLog Log;
    TBitmap32 R;
    R.SetSize(2, 1);
    Log.Attach(R);
    S.SetPosition(0);
    R.ReadData(S);
    EXPECT_TRUE(R.Equal(&B));
    EXPECT_EQ(Log.Events, (std::vector<std::string>{"change"}));

    // Width -3, height 4: 0 x 4 and no pixel bytes read.
    platform::TMemoryStream N;
    const int32_t Size[2] = {-3, 4};
    N.WriteBuffer(Size, 8);
    N.WriteBuffer("rest", 4);
    N.SetPosition(0);
    R.ReadData(N);
    EXPECT_EQ(R.Width(), 0);
    EXPECT_EQ(R.Height(), 4);
    EXPECT_EQ(N.Position(), 8);
}

TEST(BitmapData, ShortOrOversizedPayloadsLeaveTheBitmapAsItWas) {
    struct Case {
        const char* Name;
        int32_t W, H;
        size_t PixelBytes;
        const char* Message;
    };
    const Case Cases[] = {
        {"one pixel short", 2, 2, 12, "Stream read error"},
        {"no pixels", 1, 1, 0, "Stream read error"},
        {"4 x W x H wraps to 0 in 32 bits", 0x40000000, 4, 16, "Stream read error"},
        {"W x H past 32 bits", 0x7FFFFFFF, 0x7FFFFFFF, 16, "Stream read error"},
    };
    for (const Case& C : Cases) {
        platform::TMemoryStream S;
        const int32_t Size[2] = {C.W, C.H};
        S.WriteBuffer(Size, 8);
        const Bytes Payload(C.PixelBytes, 0xAB);
        S.WriteBuffer(Payload.data(), Payload.size());
        S.SetPosition(0);
        EventLog Log;
        TBitmap32 B;
        B.SetSize(1, 2);
        B.Clear(0xFF445566);
        Log.Attach(B);
        EXPECT_EQ(RaisedBy([&] { B.ReadData(S); }), C.Message) << C.Name;
        EXPECT_EQ(Pixels(B), std::vector<TColor32>(2, 0xFF445566)) << C.Name;
        EXPECT_EQ(Log.Events, (std::vector<std::string>{"change"})) << C.Name;
    }
    // Shorter than the size fields.
    platform::TMemoryStream S;
    S.WriteBuffer("12345", 5);
    S.SetPosition(0);
    TBitmap32 B;
    B.SetSize(1, 1);
    EXPECT_THROW(B.ReadData(S), platform::EReadError);
    EXPECT_EQ(B.Width(), 1);
    // Announced and present, but past the size limit.
    HugeStream H;
    const int32_t Size[2] = {40000, 40000};
    H.Head.assign(reinterpret_cast<const uint8_t*>(Size), reinterpret_cast<const uint8_t*>(Size) + 8);
    H.Length = 8 + int64_t(40000) * 40000 * 4;
    EXPECT_THROW(B.ReadData(H), platform::EOutOfResources);
    EXPECT_EQ(B.Width(), 1);
}

TEST(BitmapData, EqualAndTheDataProperty) {
    TBitmap32 Empty1, Empty2, A, B;
    A.SetSize(3, 3);
    A.Clear(0xFF000000);
    B.Assign(&A);
    TDerivedBitmap D;
    D.Assign(&A);
    EXPECT_TRUE(Empty1.Equal(&Empty2));
    EXPECT_FALSE(Empty1.Equal(&A));
    EXPECT_FALSE(A.Equal(&Empty1));
    EXPECT_TRUE(A.Equal(&A));
    EXPECT_TRUE(A.Equal(&B));
    EXPECT_FALSE(A.Equal(nullptr));
    EXPECT_FALSE(A.Equal(&D)); // another class
    TDerivedBitmap EmptyD;
    EXPECT_TRUE(Empty1.Equal(&EmptyD)); // two empty bitmaps, whatever their classes
    B.SetPixel(2, 2, 0xFE000000);       // the alpha counts
    EXPECT_FALSE(A.Equal(&B));
    B.SetSize(9, 1);
    B.Clear(0xFF000000);
    EXPECT_FALSE(A.Equal(&B)); // same pixel count, other shape

    RecordingFiler Filer;
    Empty1.DefineProperties(&Filer);
    EXPECT_EQ(Filer.Name, "Data");
    EXPECT_FALSE(Filer.HasData);
    A.DefineProperties(&Filer);
    EXPECT_TRUE(Filer.HasData);
    Filer.Ancestor = &B; // differs from the inherited bitmap
    A.DefineProperties(&Filer);
    EXPECT_TRUE(Filer.HasData);
    TBitmap32 Same;
    Same.Assign(&A);
    Filer.Ancestor = &Same;
    A.DefineProperties(&Filer);
    EXPECT_FALSE(Filer.HasData);
    TFont NotABitmap;
    Filer.Ancestor = &NotABitmap;
    A.DefineProperties(&Filer);
    EXPECT_TRUE(Filer.HasData);

    // The declared procedures are the bitmap's own.
    platform::TMemoryStream S;
    Filer.Writer(S);
    EXPECT_EQ(S.Size(), 8 + 36);
    S.SetPosition(0);
    Empty1.DefineProperties(&Filer);
    Filer.Reader(S);
    EXPECT_TRUE(Empty1.Equal(&A));
}
