#pragma once
// The frame-buffer workbench over a document: which texture covers a word, where textures overlap,
// moving a texture (and the model's primitives with it) and editing its palette, each one step of
// the document's history.
#include "formats/TimEdits.h"
#include "formats/TimList.h"
#include "gpu/FrameBuffer.h"
#include "gpu/TexelRetarget.h"
#include "model/ModelSteps.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace polyvane {

class CPolyvaneDoc;

[[nodiscard]] WordRect ImageRect(const TimImage& tim);
// Its colour table's rows; empty without one.
[[nodiscard]] WordRect ClutRect(const TimImage& tim);

// A texture's image or colour table, by its place in the list.
struct TexturePart {
    std::size_t position = 0;
    bool clut = false;
};
// The part covering word (x, y): of the last texture written there, as that one shows on top.
[[nodiscard]] std::optional<TexturePart> TexturePartAt(const TimList& list, int x, int y);

// Where two textures' rectangles (images or colour tables) overlap: the shared rectangle and a line
// naming both.
struct TextureOverlap {
    WordRect shared;
    std::string text;
};
[[nodiscard]] std::vector<TextureOverlap> FindOverlaps(const TimList& list);

// The status-bar line for word (x, y): place, value, channels and STP bit, the texture page that
// holds it with its origin and the word's texel coordinates there in each colour mode, and the
// texture covering it.
[[nodiscard]] std::string DescribeWord(const FrameBuffer& memory, const TimList& list, int x, int y);

// A move worked out before it is made: refused with an error, or the texture at its new place, the
// model's records that follow it and the primitives (by object and index) that read it but cannot
// be kept on it.
struct TextureMovePlan {
    TimEditError error = TimEditError::none;
    std::size_t position = 0;
    bool clut = false;
    TimImage after;
    std::vector<TexelFieldsEdit> edits;
    std::vector<std::string> leftAsIs;
    // True when some primitive of the model reads the texture.
    [[nodiscard]] bool ReadByModel() const { return !edits.empty() || !leftAsIs.empty(); }
};
// Plans moving texture `position`'s image (or colour table) so that its first word lies at (x, y).
[[nodiscard]] TextureMovePlan PlanTextureMove(const CPolyvaneDoc& doc, std::size_t position, bool clut, int x,
                                              int y);
// Makes a planned move one step of the history; with `updateModel` the records follow. False when
// the plan was refused.
bool MakeTextureMove(CPolyvaneDoc& doc, TextureMovePlan plan, bool updateModel);

// The texture the texture view shows: the one the current primitive reads, else the last one added;
// none without textures.
[[nodiscard]] std::optional<std::size_t> ShownTexture(const CPolyvaneDoc& doc);

// Runs `edit` on a copy of texture `position` and, when it succeeds, makes the copy the document's
// as one step named `name`.
TimEditError EditTexture(CPolyvaneDoc& doc, std::size_t position, const std::string& name,
                         const std::function<TimEditError(TimImage&)>& edit);

} // namespace polyvane
