#pragma once
// A whole model as a plain value: the header, the object table and each object's decoded records
// and kept packets.
// Codecs and importers give a TmdModel; writers and exporters read a ModelRef, a read-only look at a
// model that whoever holds it (a TmdModel or the document) can hand out without copying records.
#include "TmdPackets.h"
#include "TmdTypes.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace polyvane {

struct TmdModelObject {
    TmdObject entry{};
    // entry.n_primitive records; null when there are none.
    std::unique_ptr<WorkPrimitive[]> records;
    // The object's other packets (lines, sprites, unknown codes), by position among the records.
    std::vector<KeptPacket> kept;

    [[nodiscard]] std::span<const WorkPrimitive> Records() const {
        return {records.get(), records ? entry.n_primitive : 0u};
    }
};

struct TmdModel {
    TmdHeader header{};
    std::vector<TmdModelObject> objects; // header.nobj of them
};

struct ObjectRef {
    TmdObject entry{};
    std::span<const WorkPrimitive> records;
    std::span<const KeptPacket> kept;
};

struct ModelRef {
    TmdHeader header{};
    std::vector<ObjectRef> objects;
};

[[nodiscard]] inline ModelRef RefOf(const TmdModel& model) {
    ModelRef ref{model.header, {}};
    ref.objects.reserve(model.objects.size());
    for (const TmdModelObject& object : model.objects)
        ref.objects.push_back({object.entry, object.Records(), object.kept});
    return ref;
}

} // namespace polyvane
