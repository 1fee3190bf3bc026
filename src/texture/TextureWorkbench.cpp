#include "TextureWorkbench.h"

#include "TimViewLayout.h"
#include "model/CPolyvaneDoc.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>

namespace polyvane {

namespace {

std::string ShortName(const TimImage& tim) {
    return std::filesystem::path(tim.fileName).filename().string();
}

std::optional<WordRect> Intersection(const WordRect& a, const WordRect& b) {
    const int x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
    const int x1 = std::min(a.x + a.width, b.x + b.width), y1 = std::min(a.y + a.height, b.y + b.height);
    if (x1 <= x0 || y1 <= y0)
        return std::nullopt;
    return WordRect{x0, y0, x1 - x0, y1 - y0};
}

TexelAddress AddressOf(const WorkPrimitive& p) {
    TexelAddress a;
    a.tpage = p.tpage;
    a.pmode = p.pmode;
    a.clutX = p.clutX;
    a.clutY = p.clutY;
    std::copy(std::begin(p.u), std::end(p.u), a.u.begin());
    std::copy(std::begin(p.v), std::end(p.v), a.v.begin());
    a.corners = VertexCount(p);
    return a;
}

} // namespace

WordRect ImageRect(const TimImage& tim) {
    return {tim.imageX, tim.imageY, tim.imageWidth, tim.imageHeight};
}

WordRect ClutRect(const TimImage& tim) {
    if (!tim.hasClut || tim.clutTable.empty())
        return {};
    return {tim.clutX, tim.clutY, int(tim.ClutRowLength()), int(tim.ClutRows())};
}

std::optional<TexturePart> TexturePartAt(const TimList& list, int x, int y) {
    std::optional<TexturePart> found;
    std::size_t position = 0;
    for (const TimImage& tim : list) {
        if (ClutRect(tim).Contains(x, y))
            found = TexturePart{position, true};
        else if (ImageRect(tim).Contains(x, y))
            found = TexturePart{position, false};
        ++position;
    }
    return found;
}

std::vector<TextureOverlap> FindOverlaps(const TimList& list) {
    struct Part {
        WordRect rect;
        std::string name;
    };
    std::vector<Part> parts;
    std::vector<std::size_t> owner;
    std::size_t position = 0;
    for (const TimImage& tim : list) {
        parts.push_back({ImageRect(tim), ShortName(tim) + " image"});
        owner.push_back(position);
        if (ClutRect(tim).width > 0) {
            parts.push_back({ClutRect(tim), ShortName(tim) + " colour table"});
            owner.push_back(position);
        }
        ++position;
    }
    std::vector<TextureOverlap> overlaps;
    for (std::size_t i = 0; i < parts.size(); ++i)
        for (std::size_t j = i + 1; j < parts.size(); ++j) {
            if (owner[i] == owner[j])
                continue;
            if (const auto shared = Intersection(parts[i].rect, parts[j].rect)) {
                char text[160];
                std::snprintf(text, sizeof text, " overlap at (%d, %d) %d x %d", shared->x, shared->y,
                              shared->width, shared->height);
                overlaps.push_back({*shared, parts[i].name + " and " + parts[j].name + text});
            }
        }
    return overlaps;
}

std::string DescribeWord(const FrameBuffer& memory, const TimList& list, int x, int y) {
    if (x < 0 || y < 0 || x >= kFrameBufferWidth || y >= kFrameBufferHeight)
        return {};
    const std::uint16_t word = memory.Word(x, y);
    const std::uint8_t page = TexturePageAt(static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y));
    // The word's place in the page that starts at or before it: its u in each colour mode, and v.
    const int u = x - TexturePageX(page), v = y - TexturePageY(page);
    char text[200];
    std::snprintf(
        text, sizeof text,
        "(%d, %d)  0x%04X  R %d G %d B %d STP %d  page %d at (%d, %d): u %d 4-bit, %d 8-bit, %d 15-bit; v %d",
        x, y, word, word & 31, (word >> 5) & 31, (word >> 10) & 31, word >> 15, page, TexturePageX(page),
        TexturePageY(page), u * 4, u * 2, u, v);
    std::string line = text;
    if (const auto part = TexturePartAt(list, x, y)) {
        const TimImage& tim = *std::next(list.begin(), static_cast<std::ptrdiff_t>(part->position));
        line += "  " + ShortName(tim) + (part->clut ? " colour table" : " image");
    }
    return line;
}

TextureMovePlan PlanTextureMove(const CPolyvaneDoc& doc, std::size_t position, bool clut, int x, int y) {
    TextureMovePlan plan;
    plan.position = position;
    plan.clut = clut;
    if (position >= doc.Textures().size()) {
        plan.error = TimEditError::noClut;
        return plan;
    }
    const TimImage& before = *std::next(doc.Textures().begin(), static_cast<std::ptrdiff_t>(position));
    plan.after = before;
    plan.error = clut ? MoveTimClut(plan.after, x, y) : MoveTimImage(plan.after, x, y);
    if (plan.error != TimEditError::none)
        return plan;

    TextureMove move;
    move.image = ImageRect(before);
    move.dx = plan.after.imageX - before.imageX;
    move.dy = plan.after.imageY - before.imageY;
    move.clut = ClutRect(before);
    move.clutDx = plan.after.clutX - before.clutX;
    move.clutDy = plan.after.clutY - before.clutY;
    const ModelRef model = doc.Model();
    for (std::uint32_t object = 0; object < model.objects.size(); ++object) {
        const auto records = model.objects[object].records;
        for (std::uint32_t i = 0; i < records.size(); ++i) {
            const WorkPrimitive& record = records[i];
            if (!(record.attr & PA_TEXTURED))
                continue;
            TexelAddress address = AddressOf(record);
            const RetargetResult result = RetargetTexels(address, move);
            if (result == RetargetResult::unreachable) {
                plan.leftAsIs.push_back("object " + std::to_string(object) + " primitive " +
                                        std::to_string(i));
            } else if (result == RetargetResult::moved) {
                TexelFieldsEdit edit{object, i, record, record};
                edit.after.tpage = address.tpage;
                edit.after.clutX = address.clutX;
                edit.after.clutY = address.clutY;
                std::copy(address.u.begin(), address.u.end(), std::begin(edit.after.u));
                std::copy(address.v.begin(), address.v.end(), std::begin(edit.after.v));
                plan.edits.push_back(edit);
            }
        }
    }
    return plan;
}

bool MakeTextureMove(CPolyvaneDoc& doc, TextureMovePlan plan, bool updateModel) {
    if (plan.error != TimEditError::none)
        return false;
    if (!updateModel)
        plan.edits.clear();
    return doc.ChangeTexture(plan.position, plan.clut ? "Move Colour Table" : "Move Texture",
                             std::move(plan.after), std::move(plan.edits));
}

std::optional<std::size_t> ShownTexture(const CPolyvaneDoc& doc) {
    const TimList& list = doc.Textures();
    if (list.empty())
        return std::nullopt;
    if (doc.CurrentPrimitive() && (doc.CurrentPrimitive()->attr & PA_TEXTURED)) {
        const TimImage* found = FindPrimitiveTim(list, *doc.CurrentPrimitive());
        std::size_t position = 0;
        for (const TimImage& tim : list) {
            if (&tim == found)
                return position;
            ++position;
        }
    }
    return list.size() - 1;
}

TimEditError EditTexture(CPolyvaneDoc& doc, std::size_t position, const std::string& name,
                         const std::function<TimEditError(TimImage&)>& edit) {
    if (position >= doc.Textures().size())
        return TimEditError::noClut;
    TimImage copy = *std::next(doc.Textures().begin(), static_cast<std::ptrdiff_t>(position));
    const TimEditError error = edit(copy);
    if (error == TimEditError::none)
        doc.ChangeTexture(position, name, std::move(copy));
    return error;
}

} // namespace polyvane
