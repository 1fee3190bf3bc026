#pragma once
// What a record saved as a TMD packet reads back as, and the comparison of a saved model with the same
// file read again. Shared by the writer's tests and the round-trip fuzzer.
#include "formats/TmdModel.h"

#include <cstring>
#include <string>
#include <vector>

namespace polyvane::test {

// The record a reader makes of the packet written for `saved` (whose integer fields the writer has
// just refreshed): only what the packet carries survives, the rest takes the reader's defaults.
inline WorkPrimitive ReadBackOf(const WorkPrimitive& saved) {
    WorkPrimitive r{};
    const int n = (saved.attr & PA_QUAD) ? 4 : 3;
    const bool light = saved.attr & PA_LIGHT;
    const bool gouraud = saved.attr & PA_GOURAUD;
    const bool gradation = saved.attr & PA_GRADATION;
    const bool textured = saved.attr & PA_TEXTURED;
    // A lit packet is always written with brightness calculation on.
    r.attr = static_cast<std::uint16_t>(saved.attr | (light ? PA_BRIGHTNESS : 0));
    for (int k = 0; k < n; ++k) {
        r.x[k] = saved.ix[k];
        r.y[k] = saved.iy[k];
        r.z[k] = saved.iz[k];
    }
    const int nn = light ? (gouraud ? n : 1) : 0;
    for (int k = 0; k < nn; ++k) {
        r.nx[k] = saved.inx[k];
        r.ny[k] = saved.iny[k];
        r.nz[k] = saved.inz[k];
    }
    const int nc = light ? (textured ? 0 : gradation ? n : 1) : ((gouraud || gradation) ? n : 1);
    for (int k = 0; k < nc; ++k)
        r.colour[k] = saved.colour[k] & 0x00FFFFFF;
    if (textured) {
        for (int k = 0; k < n; ++k) {
            r.u[k] = saved.u[k];
            r.v[k] = saved.v[k];
        }
        r.clutX = static_cast<std::uint16_t>(((saved.clutX >> 4) & 0x3F) * 16);
        r.clutY = static_cast<std::uint16_t>(saved.clutY & 0x1FF);
        r.tpage = static_cast<std::uint8_t>(saved.tpage & 0x1F);
        r.abr = static_cast<std::uint8_t>(saved.abr & 3);
        r.pmode = static_cast<std::uint8_t>(saved.pmode & 3);
    } else {
        const std::uint8_t u[4] = {0, 16, 0, 16}, v[4] = {0, 0, 16, 16};
        std::memcpy(r.u, u, 4);
        std::memcpy(r.v, v, 4);
    }
    return r;
}

// The fields a reader fills, compared; empty when equal, else the first difference.
inline std::string DecodedDifference(const WorkPrimitive& a, const WorkPrimitive& b) {
#define POLYVANE_SAME(field)                                                                                 \
    if (std::memcmp(&a.field, &b.field, sizeof a.field) != 0)                                                \
        return #field;
    POLYVANE_SAME(attr)
    POLYVANE_SAME(x)
    POLYVANE_SAME(y)
    POLYVANE_SAME(z)
    POLYVANE_SAME(nx)
    POLYVANE_SAME(ny)
    POLYVANE_SAME(nz)
    POLYVANE_SAME(u)
    POLYVANE_SAME(v)
    POLYVANE_SAME(colour)
    POLYVANE_SAME(tpage)
    POLYVANE_SAME(pmode)
    POLYVANE_SAME(abr)
    POLYVANE_SAME(clutX)
    POLYVANE_SAME(clutY)
    POLYVANE_SAME(style)
#undef POLYVANE_SAME
    return {};
}

// Compares a model just saved with its file read again; empty when the file holds exactly what was
// saved, else where it differs.
inline std::string SavedDifference(const ModelRef& saved, const ModelRef& loaded) {
    if (saved.header.id != loaded.header.id || saved.header.flags != loaded.header.flags ||
        saved.objects.size() != loaded.objects.size())
        return "header";
    for (std::size_t i = 0; i < saved.objects.size(); ++i) {
        const ObjectRef& a = saved.objects[i];
        const ObjectRef& b = loaded.objects[i];
        if (a.entry.n_primitive != b.entry.n_primitive || a.entry.scale != b.entry.scale ||
            a.records.size() != b.records.size())
            return "object " + std::to_string(i);
        for (std::size_t j = 0; j < a.records.size(); ++j) {
            std::string why = DecodedDifference(ReadBackOf(a.records[j]), b.records[j]);
            if (!why.empty())
                return "object " + std::to_string(i) + " primitive " + std::to_string(j) + ": " + why;
        }
        // Kept packets come back in their places with their words, but for the vertex indices, and
        // the coordinates those name.
        if (a.kept.size() != b.kept.size())
            return "object " + std::to_string(i) + " kept packets";
        for (std::size_t j = 0; j < a.kept.size(); ++j) {
            const KeptPacket& x = a.kept[j];
            const KeptPacket& y = b.kept[j];
            bool same = x.position == y.position && x.header == y.header &&
                        x.words.size() == y.words.size() && x.vertexCount == y.vertexCount;
            if (same) {
                std::vector<std::uint32_t> wx = x.words, wy = y.words;
                const VertexSlots slots = VertexSlotsOf(x.header, wx.size());
                for (int k = 0; k < slots.count; ++k) {
                    SetIndexAt(wx, slots.halfword[static_cast<std::size_t>(k)], 0);
                    SetIndexAt(wy, slots.halfword[static_cast<std::size_t>(k)], 0);
                }
                same = wx == wy;
            }
            for (std::size_t k = 0; same && k < x.vertexCount; ++k)
                same = x.vertices[k].vx == y.vertices[k].vx && x.vertices[k].vy == y.vertices[k].vy &&
                       x.vertices[k].vz == y.vertices[k].vz;
            if (!same)
                return "object " + std::to_string(i) + " kept packet " + std::to_string(j);
        }
    }
    return {};
}

} // namespace polyvane::test
