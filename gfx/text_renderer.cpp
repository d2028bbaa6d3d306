#include "gfx/text_renderer.h"

#include <atomic>

#include "platform/exceptions.h"

namespace gfx {

namespace {
std::atomic<TTextRenderer*> Installed{nullptr};
} // namespace

void SetTextRenderer(TTextRenderer* Renderer) { Installed = Renderer; }

TTextRenderer& RequireTextRenderer() {
    TTextRenderer* R = Installed;
    if (!R) throw platform::Exception("No text renderer is installed: text needs the platform's fonts");
    return *R;
}

} // namespace gfx
