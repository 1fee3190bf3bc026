#include "ModelSteps.h"

#include "CPolyvaneDoc.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace polyvane {

RecordStep::RecordStep(CPolyvaneDoc& doc, std::string name, StepPlace place, const WorkPrimitive& before,
                       const WorkPrimitive& after, std::uint64_t mergeKey)
    : m_doc(doc), m_name(std::move(name)), m_place(place), m_before(before), m_after(after),
      m_mergeKey(mergeKey) {}

void RecordStep::Put(const WorkPrimitive& record) {
    if (!m_doc.ShowPlace(m_place) || !m_place.primitive)
        return;
    m_doc.MutableRecords()[*m_place.primitive] = record;
    m_doc.UpdateAllViews(nullptr, 0, nullptr);
}

void RecordStep::Undo() {
    Put(m_before);
}

void RecordStep::Redo() {
    Put(m_after);
}

bool RecordStep::MergeWith(const UndoStep& next) {
    const auto* other = dynamic_cast<const RecordStep*>(&next);
    if (!other || m_mergeKey == 0 || other->m_mergeKey != m_mergeKey ||
        other->m_place.object != m_place.object || other->m_place.primitive != m_place.primitive)
        return false;
    m_after = other->m_after;
    return true;
}

bool SameModelFields(const WorkPrimitive& a, const WorkPrimitive& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

ObjectStep::ObjectStep(CPolyvaneDoc& doc, std::string name, StepPlace place, std::vector<KeptRecord> kept,
                       std::optional<std::vector<KeptPacket>> packets, std::uint32_t count,
                       TmdVector minExtent, TmdVector maxExtent, Tool tool, bool selfInverse, bool fresh)
    : m_doc(doc), m_name(std::move(name)), m_place(place), m_kept(std::move(kept)),
      m_packets(std::move(packets)), m_count(count), m_minExtent(minExtent), m_maxExtent(maxExtent),
      m_tool(std::move(tool)), m_selfInverse(selfInverse), m_fresh(fresh) {}

std::size_t ObjectStep::PacketBytes() const {
    std::size_t bytes = 0;
    if (m_packets)
        for (const KeptPacket& packet : *m_packets)
            bytes += sizeof packet + sizeof(std::uint32_t) * packet.words.capacity();
    return bytes;
}

void ObjectStep::Undo() {
    if (!m_doc.ShowPlace(m_place) || m_doc.WorkCount() != m_count)
        return;
    if (m_selfInverse)
        m_doc.RunObjectTool(m_tool);
    const std::span<WorkPrimitive> records = m_doc.MutableRecords();
    for (const KeptRecord& kept : m_kept)
        records[kept.index] = kept.record;
    if (m_packets) {
        const std::span<KeptPacket> packets = m_doc.SelectedPackets();
        std::copy(m_packets->begin(), m_packets->end(), packets.begin());
    }
    m_doc.SetDerivedFieldsFresh(m_place.object, m_fresh);
    m_doc.m_minExtent = m_minExtent;
    m_doc.m_maxExtent = m_maxExtent;
    m_doc.UpdateAllViews(nullptr, 0, nullptr);
}

void ObjectStep::Redo() {
    if (!m_doc.ShowPlace(m_place))
        return;
    m_doc.RunObjectTool(m_tool);
    m_doc.UpdateAllViews(nullptr, 0, nullptr);
}

TextureStep::TextureStep(CPolyvaneDoc& doc, bool adds, std::size_t position)
    : m_doc(doc), m_adds(adds), m_position(position),
      m_bytes(sizeof *this +
              std::next(doc.m_timList.begin(), static_cast<std::ptrdiff_t>(position))->pixels.size()) {}

void TextureStep::TakeOut() {
    TimList& list = m_doc.m_timList;
    if (m_position >= list.size())
        return;
    auto at = std::next(list.begin(), static_cast<std::ptrdiff_t>(m_position));
    m_held = std::move(*at);
    list.erase(at);
    m_doc.UpdateAllViews(nullptr, 0, nullptr);
}

void TextureStep::PutBack() {
    TimList& list = m_doc.m_timList;
    if (m_position > list.size())
        return;
    list.insert(std::next(list.begin(), static_cast<std::ptrdiff_t>(m_position)), std::move(m_held));
    m_held = TimImage{};
    m_doc.UpdateAllViews(nullptr, 0, nullptr);
}

} // namespace polyvane
