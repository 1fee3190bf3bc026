#include "DocumentJson.h"

namespace polyvane::cli {

using nlohmann::json;

namespace {
template <typename T, std::size_t N> json Array(const T (&values)[N], std::size_t count = N) {
    json a = json::array();
    for (std::size_t i = 0; i < count; ++i)
        a.push_back(values[i]);
    return a;
}
json Vector3(const TmdVector& v) {
    return json::array({v.vx, v.vy, v.vz});
}

const char* KindName(PacketKind kind) {
    switch (kind) {
    case PacketKind::line:
        return "line";
    case PacketKind::sprite:
        return "sprite";
    case PacketKind::polygon:
    case PacketKind::other:
        break;
    }
    return "other";
}

// Packets kept as read: where they stand among the records, their words and the vertices they name.
json KeptPacketsToJson(std::span<const KeptPacket> kept) {
    json out = json::array();
    for (const KeptPacket& packet : kept) {
        json vertices = json::array();
        for (std::size_t k = 0; k < packet.vertexCount; ++k)
            vertices.push_back(Vector3(packet.vertices[k]));
        out.push_back({{"kind", KindName(packet.Kind())},
                       {"position", packet.position},
                       {"header", packet.header},
                       {"words", packet.words},
                       {"vertices", vertices}});
    }
    return out;
}
} // namespace

json PrimitiveToJson(const WorkPrimitive& p, const std::array<ScreenPoint, 4>* projected) {
    json screen = json::array();
    for (std::size_t k = 0; k < 4; ++k) {
        const ScreenPoint s = projected ? (*projected)[k] : ScreenPoint{0, 0};
        screen.push_back(json::array({s.x, s.y}));
    }
    return json{{"attr", p.attr},
                {"x", Array(p.x)},
                {"y", Array(p.y)},
                {"z", Array(p.z)},
                {"nx", Array(p.nx)},
                {"ny", Array(p.ny)},
                {"nz", Array(p.nz)},
                {"fn", json::array({p.fnx, p.fny, p.fnz})},
                {"u", Array(p.u)},
                {"v", Array(p.v)},
                {"colour", Array(p.colour)},
                {"tpage", p.tpage},
                {"pmode", p.pmode},
                {"abr", p.abr},
                {"clutX", p.clutX},
                {"clutY", p.clutY},
                {"style", p.style},
                {"screen", screen}};
}

json DocumentToJson(const CPolyvaneDoc& doc, bool withProjection, const ProjectedObject* projection) {
    // A projection is of the selected object as it is now, or of nothing the document holds.
    if (projection && (!doc.HasSelection() || projection->screen.size() != doc.WorkCount() ||
                       projection->order.size() != doc.WorkCount()))
        projection = nullptr;
    json out;
    const TmdHeader& header = doc.Header();
    out["header"] = {{"id", header.id}, {"flags", header.flags}, {"nobj", header.nobj}};
    out["current_object"] = doc.SelectedObject();
    if (auto index = doc.CurrentPrimitiveIndex())
        out["current_primitive"] = *index;
    else
        out["current_primitive"] = nullptr;
    out["modified"] = doc.IsModified();
    out["undo"] = doc.History().UndoNames();
    out["redo"] = doc.History().RedoNames();
    out["extents"] = {{"min", Vector3(doc.MinExtent())}, {"max", Vector3(doc.MaxExtent())}};
    out["clipboard"] = doc.HasClipboard() ? PrimitiveToJson(doc.Clipboard()) : json(nullptr);

    json surfaces = json::array();
    for (const LwoSurface& s : doc.Surfaces())
        surfaces.push_back({{"name", s.name}, {"attr", s.attr}, {"colour", Array(s.colour)}});
    out["surfaces"] = surfaces;

    json objects = json::array();
    for (std::uint32_t i = 0; i < doc.ObjectCount(); ++i) {
        const TmdObject& o = doc.ObjectEntry(i);
        const std::span<const WorkPrimitive> records = doc.ObjectRecords(i);
        const bool projected = projection && i == doc.SelectedObject();
        json prims = json::array();
        for (std::size_t j = 0; j < records.size(); ++j)
            prims.push_back(PrimitiveToJson(records[j], projected ? &projection->screen[j] : nullptr));
        json object = {{"n_vert", o.n_vert},
                       {"n_normal", o.n_normal},
                       {"n_primitive", o.n_primitive},
                       {"scale", o.scale},
                       {"primitives", prims}};
        if (const auto kept = doc.KeptPackets(i); !kept.empty())
            object["kept_packets"] = KeptPacketsToJson(kept);
        objects.push_back(object);
    }
    out["objects"] = objects;

    if (withProjection) {
        json order = json::array();
        if (projection)
            for (const std::uint32_t index : projection->order)
                order.push_back(index);
        out["draw_order"] = order;
        json axes = json::array();
        for (std::size_t a = 0; a < 3; ++a) {
            const ScreenPoint end = projection ? projection->axis[a] : ScreenPoint{0, 0};
            axes.push_back(json::array({end.x, end.y}));
        }
        out["axis_screen"] = axes;
    }
    return out;
}

} // namespace polyvane::cli
