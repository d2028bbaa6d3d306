// TBitmap32: bitmap files in streams, files and resources; comparison; the
// "Data" property of form descriptions.
#include <algorithm>
#include <cstring>
#include <typeinfo>

#include "gfx/bitmap32.h"
#include "gfx/bitmap_file.h"
#include "gfx/bitmap_resources.h"
#include "gfx/filer.h"
#include "gfx/pixel_memory.h"
#include "platform/exceptions.h"
#include "platform/streams.h"

namespace gfx {

namespace {
std::string FileExtension(const std::string& FileName) {
    const size_t Slash = FileName.find_last_of('/');
    const size_t Dot = FileName.find_last_of('.');
    if (Dot == std::string::npos || (Slash != std::string::npos && Dot < Slash)) return {};
    return FileName.substr(Dot + 1);
}

bool SameText(const std::string& A, const char* B) {
    return A.size() == std::strlen(B) && std::equal(A.begin(), A.end(), B, [](char X, char Y) {
               return std::tolower(static_cast<unsigned char>(X)) == Y;
           });
}

// Loads the bitmap file that Find returns; a missing resource reports a
// change too, as a failed load does.
template <typename FindFn> void LoadResource(TBitmap32& B, FindFn Find) {
    platform::TMemoryStream Resource;
    try {
        WithPixelMemory([&] {
            const std::vector<uint8_t> File = Find();
            Resource.WriteBuffer(File.data(), File.size());
        });
        Resource.SetPosition(0);
    } catch (...) {
        B.Changed();
        throw;
    }
    B.LoadFromStream(Resource);
}
} // namespace

// The picture is decoded into memory of its own, which the bitmap then takes
// over: a damaged file leaves the bitmap as it was, and at no time is more
// than that one new picture held beside the old one.
void TBitmap32::LoadFromStream(platform::TStream& Stream) {
    try {
        TBitmapFileImage Image = ReadBitmapFile(Stream);
        AssignPixels(Image.Width, Image.Height, std::move(Image.Pixels));
    } catch (...) {
        Changed();
        throw;
    }
    Changed();
}

void TBitmap32::SaveToStream(platform::TStream& Stream) {
    WriteBitmapFile(Stream, Empty() ? nullptr : Bits_, Width(), Height());
}

void TBitmap32::LoadFromFile(const std::string& FileName) {
    const std::string Extension = FileExtension(FileName);
    if (!SameText(Extension, "bmp"))
        throw EInvalidGraphic("Unknown picture file extension (." + Extension + ")");
    // Read as it is streamed, never whole; a file larger than any picture
    // the library takes is refused before a byte of it is read.
    platform::TFileStream File(FileName, platform::TFileMode::fmOpenRead);
    if (uint64_t(std::max<int64_t>(File.Size(), 0)) > kMaxBitmapFileBytes)
        throw platform::EFOpenError(FileName, "the file is larger than " +
                                                  std::to_string(kMaxBitmapFileBytes) +
                                                  " bytes, more than any picture the library takes");
    TBitmapFileImage Image = ReadBitmapFile(File);
    AssignPixels(Image.Width, Image.Height, std::move(Image.Pixels));
}

void TBitmap32::SaveToFile(const std::string& FileName) {
    platform::TMemoryStream File;
    WithPixelMemory([&] { SaveToStream(File); });
    File.SaveToFile(FileName); // a temporary file renamed over the target
}

void TBitmap32::LoadFromResourceID(uintptr_t Instance, int32_t ResID) {
    LoadResource(*this, [&] { return FindBitmapResource(Instance, ResID); });
}

void TBitmap32::LoadFromResourceName(uintptr_t Instance, const std::string& ResName) {
    LoadResource(*this, [&] { return FindBitmapResource(Instance, ResName); });
}

// Two bitmaps are equal when their bitmap files would be byte-identical: the
// same size and the same pixels, alpha included.
bool TBitmap32::Equal(TBitmap32* Bmp) {
    if (!Bmp) return false;
    if (Empty() || Bmp->Empty()) return Empty() && Bmp->Empty();
    if (typeid(*Bmp) != typeid(*this)) return false;
    return Width() == Bmp->Width() && Height() == Bmp->Height() &&
           std::equal(Bits_, Bits_ + size_t(Width()) * size_t(Height()), Bmp->Bits_);
}

void TBitmap32::DefineProperties(TFiler* Filer) {
    if (!Filer) return;
    bool DoWrite;
    if (Filer->Ancestor) {
        auto* Ancestor = dynamic_cast<TBitmap32*>(Filer->Ancestor);
        DoWrite = !(Ancestor && Equal(Ancestor));
    } else {
        DoWrite = !Empty();
    }
    Filer->DefineBinaryProperty(
        "Data", [this](platform::TStream& S) { ReadData(S); }, [this](platform::TStream& S) { WriteData(S); },
        DoWrite);
}

// Payload: width and height (32-bit little-endian), then the pixels row by
// row. The announced pixels are checked against the stream and read into
// memory of their own before the bitmap changes, so a short or oversized
// payload leaves it as it was.
void TBitmap32::ReadData(platform::TStream& Stream) {
    try {
        int32_t Size[2];
        Stream.ReadBuffer(Size, sizeof Size);
        const int32_t W = std::max(Size[0], 0), H = std::max(Size[1], 0);
        const uint64_t Count = uint64_t(W) * uint64_t(H);
        std::unique_ptr<TColor32[]> Pixels;
        if (Count > 0) {
            if (Count * 4 > uint64_t(std::max<int64_t>(0, Stream.Size() - Stream.Position())))
                throw platform::EReadError();
            Pixels = NewPixelMemory<TColor32>(Count);
            Stream.ReadBuffer(Pixels.get(), size_t(Count) * 4);
        }
        ReplacePixels(W, H, std::move(Pixels));
    } catch (...) {
        Changed();
        throw;
    }
    Changed();
}

void TBitmap32::WriteData(platform::TStream& Stream) {
    const int32_t Size[2] = {Width(), Height()};
    Stream.WriteBuffer(Size, sizeof Size);
    if (!Empty()) Stream.WriteBuffer(Bits_, size_t(Width()) * size_t(Height()) * 4);
}

} // namespace gfx
