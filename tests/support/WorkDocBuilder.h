#pragma once
// Documents made straight from working records, for tests of what is done with the records (projection,
// drawing) rather than how they are read.
#include "model/CPolyvaneDoc.h"

#include <cstring>
#include <initializer_list>
#include <memory>
#include <span>
#include <vector>

namespace polyvane::test {

struct Vertex {
    double x, y, z;
};

// A record with the given vertices (three or four); a quad's vertices in stored (strip) order.
inline WorkPrimitive Record(std::initializer_list<Vertex> vertices, std::uint16_t attr = 0) {
    WorkPrimitive p;
    std::memset(&p, 0, sizeof p);
    int i = 0;
    for (const Vertex& v : vertices) {
        p.x[i] = v.x;
        p.y[i] = v.y;
        p.z[i] = v.z;
        ++i;
    }
    p.attr = static_cast<std::uint16_t>(attr | (i == 4 ? PA_QUAD : 0));
    return p;
}

// A model holding one object per entry of `objects` (an entry may be empty).
inline TmdModel MakeModel(const std::vector<std::vector<WorkPrimitive>>& objects) {
    TmdModel model;
    model.header.id = 0x41;
    model.header.nobj = static_cast<std::uint32_t>(objects.size());
    model.objects.resize(objects.size());
    for (std::size_t i = 0; i < objects.size(); ++i) {
        const auto& records = objects[i];
        TmdObject& o = model.objects[i].entry;
        o.n_primitive = static_cast<std::uint32_t>(records.size());
        o.n_vert = static_cast<std::uint32_t>(records.size() * 3);
        o.n_normal = static_cast<std::uint32_t>(records.size());
        if (!records.empty()) {
            model.objects[i].records.reset(new WorkPrimitive[records.size()]);
            std::memcpy(model.objects[i].records.get(), records.data(),
                        records.size() * sizeof(WorkPrimitive));
        }
    }
    return model;
}

// A document holding that model, with object `selected` selected and its first primitive current.
inline std::unique_ptr<CPolyvaneDoc> MakeDocObjects(const std::vector<std::vector<WorkPrimitive>>& objects,
                                                    std::uint32_t selected = 0) {
    auto doc = std::make_unique<CPolyvaneDoc>();
    doc->AdoptModel(MakeModel(objects));
    doc->SelectModelObject(selected);
    return doc;
}

// Changes object `object`'s records as a test sets a model up (no edit, no history), the selection
// kept where it was.
template <typename Change> void EditRecords(CPolyvaneDoc& doc, std::uint32_t object, Change change) {
    const StepPlace place = doc.Place();
    TmdModel model = doc.TakeModel();
    TmdModelObject& o = model.objects.at(object);
    change(std::span<WorkPrimitive>(o.records.get(), o.records ? o.entry.n_primitive : 0u));
    doc.AdoptModel(std::move(model));
    doc.ShowPlace(place);
}

inline std::unique_ptr<CPolyvaneDoc> MakeDoc(const std::vector<WorkPrimitive>& records) {
    return MakeDocObjects(std::vector<std::vector<WorkPrimitive>>{records});
}

} // namespace polyvane::test
