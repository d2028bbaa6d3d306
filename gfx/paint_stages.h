// The image control's ordered, editable list of paint stages.
#pragma once

#include <cstdint>
#include <vector>

namespace gfx {

// Stage kinds (StageKind); 0 and values above 7 run nothing.
enum TPaintStageKind : uint32_t {
    skCustom = 1,          // OnPaintStage
    skClearBuffer = 2,     // the whole destination in the control's colour
    skClearBackground = 3, // what the bitmap does not cover
    skDrawBitmap = 4,      // the bitmap
    skDrawLayers = 5,      // the layers whose options share a bit with StageParam
    skControlFrame = 6,    // a focus frame around the control
    skBitmapFrame = 7,     // a focus frame around the bitmap
};

struct TPaintStage {
    bool DesignEnabled = false;
    bool RunEnabled = true;
    uint32_t StageKind = 0;
    uint32_t StageParam = 0;
    friend bool operator==(const TPaintStage&, const TPaintStage&) = default;
};
using PPaintStage = TPaintStage*;

// A pointer from Add, Insert or Items stays valid until the next Add, Insert,
// Delete or Clear.
class TPaintStages {
  public:
    // Appends a default record (run-time only, kind 0).
    PPaintStage Add();
    // Index is clamped to 0 .. Count.
    PPaintStage Insert(int32_t Index);
    // EListError "Invalid stage index" outside 0 .. Count - 1.
    void Delete(int32_t Index);
    void Clear() { Stages_.clear(); }
    int32_t Count() const { return int32_t(Stages_.size()); }
    // EListError "Invalid stage index" outside 0 .. Count - 1.
    PPaintStage Items(int32_t Index);

  private:
    std::vector<TPaintStage> Stages_;
};

} // namespace gfx
