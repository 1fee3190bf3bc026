#include "ModelSteps.h"

#include "CPolyvaneDoc.h"

#include <algorithm>
#include <cstring>

namespace polyvane {

void CopyModelFields(WorkPrimitive& to, const WorkPrimitive& from) {
    const ScreenPoint screen[4] = {to.screen[0], to.screen[1], to.screen[2], to.screen[3]};
    const std::int32_t depth = to.depth;
    WorkPrimitive* const next = to.pNext;
    to = from;
    std::copy(std::begin(screen), std::end(screen), to.screen);
    to.depth = depth;
    to.pNext = next;
}

RecordStep::RecordStep(CPolyvaneDoc& doc, std::string name, StepPlace place, const WorkPrimitive& before,
                       const WorkPrimitive& after, std::uint64_t mergeKey)
    : m_doc(doc), m_name(std::move(name)), m_place(place), m_before(before), m_after(after),
      m_mergeKey(mergeKey) {}

void RecordStep::Put(const WorkPrimitive& record) {
    if (!m_doc.ShowPlace(m_place) || !m_place.primitive)
        return;
    CopyModelFields(m_doc.m_pWork[*m_place.primitive], record);
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
    // The projection of `a` laid over a copy of `b` leaves only the model fields to differ.
    WorkPrimitive mixed = b;
    CopyModelFields(mixed, a);
    return std::memcmp(&mixed, &b, sizeof mixed) == 0;
}

ObjectStep::ObjectStep(CPolyvaneDoc& doc, std::string name, StepPlace place, std::vector<KeptRecord> kept,
                       std::uint32_t count, TmdVector minExtent, TmdVector maxExtent, Tool tool,
                       bool selfInverse)
    : m_doc(doc), m_name(std::move(name)), m_place(place), m_kept(std::move(kept)), m_count(count),
      m_minExtent(minExtent), m_maxExtent(maxExtent), m_tool(std::move(tool)), m_selfInverse(selfInverse) {}

void ObjectStep::Undo() {
    if (!m_doc.ShowPlace(m_place) || m_doc.WorkCount() != m_count)
        return;
    if (m_selfInverse)
        m_tool(m_doc);
    for (const KeptRecord& kept : m_kept)
        CopyModelFields(m_doc.m_pWork[kept.index], kept.record);
    m_doc.m_minExtent = m_minExtent;
    m_doc.m_maxExtent = m_maxExtent;
    m_doc.UpdateAllViews(nullptr, 0, nullptr);
}

void ObjectStep::Redo() {
    if (!m_doc.ShowPlace(m_place))
        return;
    m_tool(m_doc);
    m_doc.UpdateAllViews(nullptr, 0, nullptr);
}

} // namespace polyvane
