// The framework's canvas and font as far as the bitmap keeps them: a canvas
// follows a device context and reports changes; a font reports changes.
// Text drawing lives in a port's canvas (installed through CanvasFactory).
#pragma once

#include <cstdint>
#include <string>

#include "gfx/device_context.h"
#include "gfx/persistent.h"

namespace gfx {

class TCanvas : public TPersistent {
  public:
    std::string ClassName() const override { return "TCanvas"; }
    TDeviceContext* Handle() const { return Handle_; }
    virtual void SetHandle(TDeviceContext* DC) { Handle_ = DC; }
    void Changed() {
        if (OnChange) OnChange(this);
    }
    TNotifyEvent OnChange;

  private:
    TDeviceContext* Handle_ = nullptr;
};

// Makes the canvas the bitmaps use; a port with text output installs its own.
inline TCanvas* (*CanvasFactory)() = nullptr;
inline TCanvas* NewCanvas() { return CanvasFactory ? CanvasFactory() : new TCanvas; }

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

class TFont : public TPersistent {
  public:
    std::string ClassName() const override { return "TFont"; }
    const std::string& Name() const { return Name_; }
    int32_t Size() const { return Size_; }
    TColor32 Color() const { return Color_; }
    uint8_t Style() const { return Style_; }
    void SetName(const std::string& V) { Set(Name_, V); }
    void SetSize(int32_t V) { Set(Size_, V); }
    void SetColor(TColor32 V) { Set(Color_, V); }
    void SetStyle(uint8_t V) { Set(Style_, V); }
    void Assign(TPersistent* Source) override {
        if (auto* F = dynamic_cast<TFont*>(Source)) {
            Name_ = F->Name_;
            Size_ = F->Size_;
            Color_ = F->Color_;
            Style_ = F->Style_;
            Changed();
        } else {
            TPersistent::Assign(Source);
        }
    }
    void Changed() {
        if (OnChange) OnChange(this);
    }
    TNotifyEvent OnChange;
    // The lock the font's owner takes while the font changes (not owned).
    void* OwnerLock = nullptr;

  private:
    template <typename T> void Set(T& Field, const T& V) {
        if (Field == V) return;
        Field = V;
        Changed();
    }
    std::string Name_ = "MS Sans Serif";
    int32_t Size_ = 8;
    TColor32 Color_ = 0; // the framework's clWindowText default: black
    uint8_t Style_ = 0;
};

} // namespace gfx
