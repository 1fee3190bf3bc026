#pragma once
// The frame-buffer memory a document's textures make: each one written, in list order, at its own
// rectangles as the console's loader would, so later textures cover earlier ones.
#include "formats/TimList.h"
#include "gpu/FrameBuffer.h"

namespace polyvane {

// Writes the texture's colour table at (clutX, clutY), clutWidth words a row, and its image at
// (imageX, imageY), imageWidth words a row; what falls outside the memory is cut off.
void UploadTim(FrameBuffer& memory, const TimImage& tim);

// A memory holding every texture of `list`, the first written first.
[[nodiscard]] FrameBuffer BuildFrameBuffer(const TimList& list);
// The same into an existing memory, which first holds `under` (a loaded dump) or is cleared.
void RebuildFrameBuffer(FrameBuffer& memory, const TimList& list, const FrameBuffer* under = nullptr);

} // namespace polyvane
