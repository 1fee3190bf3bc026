// The document's changes as steps of its history, and the Undo and Redo commands.
#include "CPolyvaneDoc.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <optional>

namespace polyvane {

StepPlace CPolyvaneDoc::Place() const {
    return {m_selected, CurrentPrimitiveIndex()};
}

bool CPolyvaneDoc::ShowPlace(const StepPlace& place) {
    if (place.object >= ObjectCount())
        return false;
    if (place.object != m_selected)
        SelectModelObject(place.object);
    if (place.primitive && *place.primitive < WorkCount())
        m_current = *place.primitive;
    UpdateAllViews(nullptr, 0, nullptr);
    return true;
}

void CPolyvaneDoc::ChangeCurrentPrimitive(const std::string& name,
                                          const std::function<void(WorkPrimitive&)>& change,
                                          std::uint64_t mergeKey) {
    if (!m_current || *m_current >= WorkCount())
        return;
    WorkPrimitive& current = MutableRecords()[*m_current];
    const WorkPrimitive before = current;
    change(current);
    RecordPrimitiveChange(name, before, mergeKey);
}

void CPolyvaneDoc::RecordPrimitiveChange(const std::string& name, const WorkPrimitive& before,
                                         std::uint64_t mergeKey) {
    if (const WorkPrimitive* current = CurrentPrimitive())
        History().Push(std::make_unique<RecordStep>(*this, name, Place(), before, *current, mergeKey));
}

namespace {

// The records of `from` (as many as `records`) where `records` and `other` differ, with their indices:
// found first, so that the kept copies are allocated once at their size.
std::vector<ObjectStep::KeptRecord> KeepDiffering(std::span<const WorkPrimitive> records,
                                                  const WorkPrimitive* other, const WorkPrimitive* from) {
    std::vector<std::uint32_t> differing;
    for (std::uint32_t r = 0; r < records.size(); ++r)
        if (!SameModelFields(records[r], other[r]))
            differing.push_back(r);
    std::vector<ObjectStep::KeptRecord> kept;
    kept.reserve(differing.size());
    for (std::uint32_t r : differing)
        kept.push_back({r, from[r]});
    return kept;
}

} // namespace

std::span<KeptPacket> CPolyvaneDoc::SelectedPackets() {
    if (!HasSelection())
        return {};
    return m_model.objects[m_selected].kept;
}

void CPolyvaneDoc::RunObjectTool(const ObjectStep::Tool& tool) {
    tool(MutableRecords(), SelectedPackets());
    RefreshDerivedFields();
}

void CPolyvaneDoc::ChangeSelectedObject(const std::string& name, const ObjectStep::Tool& tool,
                                        bool selfInverse) {
    if (!HasSelection())
        return;
    const std::span<const WorkPrimitive> records = Records();
    const auto count = static_cast<std::uint32_t>(records.size());
    const TmdVector minExtent = m_minExtent;
    const TmdVector maxExtent = m_maxExtent;
    const StepPlace place = Place();
    const bool wasFresh = DerivedFieldsFresh();
    std::vector<ObjectStep::KeptRecord> kept;
    std::optional<std::vector<KeptPacket>> packetsBefore;
    // A tool that is its own inverse gives the coordinates back when run again, and the rest of each
    // record is recomputed from them: only records whose derived fields were out of date need keeping.
    const bool keepsNothing = selfInverse && wasFresh;
    if (!keepsNothing) {
        // A copy of the records, held only while the step finds what it must keep of them.
        std::unique_ptr<WorkPrimitive[]> copy(new (std::nothrow) WorkPrimitive[count]);
        if (!copy) {
            // Without room to keep the records the change cannot be taken back: it is made all the
            // same, as before there was a history, and the history no longer reaches back past it.
            RunObjectTool(tool);
            UpdateAllViews(nullptr, 0, nullptr);
            History().Clear();
            SetModifiedFlag(true);
            return;
        }
        std::copy(records.begin(), records.end(), copy.get());
        const WorkPrimitive* before = copy.get();
        if (selfInverse) {
            // What taking the step back by running the tool again would leave of each record.
            RefreshRecords({copy.get(), count});
            kept = KeepDiffering(records, copy.get(), records.data());
            RunObjectTool(tool);
        } else {
            const auto packets = KeptPackets(m_selected);
            if (!packets.empty())
                packetsBefore.emplace(packets.begin(), packets.end());
            RunObjectTool(tool);
            kept = KeepDiffering(Records(), before, before);
        }
    } else {
        RunObjectTool(tool);
    }
    UpdateAllViews(nullptr, 0, nullptr);
    // Taken back, the records are exactly as they were, and so is whether they were up to date.
    const bool freshBefore = wasFresh || (selfInverse && kept.empty());
    History().Push(std::make_unique<ObjectStep>(*this, name, place, std::move(kept), std::move(packetsBefore),
                                                count, minExtent, maxExtent, tool, selfInverse, freshBefore));
}

void CPolyvaneDoc::AttachTexture(TimImage&& tim) {
    m_timList.push_back(std::move(tim));
    UpdateAllViews(nullptr, 0, nullptr);
}

bool CPolyvaneDoc::ReplaceTexture(const TimImage& fresh) {
    bool replaced = false;
    for (TimImage& tim : m_timList)
        if (tim.fileName == fresh.fileName) {
            tim = fresh;
            replaced = true;
        }
    if (replaced)
        UpdateAllViews(nullptr, 0, nullptr);
    return replaced;
}

void CPolyvaneDoc::AddTexture(TimImage&& tim) {
    m_timList.push_back(std::move(tim));
    History().Push(std::make_unique<TextureStep>(*this, true, m_timList.size() - 1));
}

void CPolyvaneDoc::LastTextureSavedAs(std::string path) {
    if (m_timList.empty())
        return;
    m_timList.back().fileName = std::move(path);
    m_timList.back().unsaved = false;
}

bool CPolyvaneDoc::RemoveTexture(std::string_view fileName) {
    const auto found = FindTim(m_timList, fileName);
    if (found == m_timList.end())
        return false;
    const auto position = static_cast<std::size_t>(std::distance(m_timList.begin(), found));
    auto step = std::make_unique<TextureStep>(*this, false, position); // before it leaves the list
    step->Redo();
    History().Push(std::move(step));
    return true;
}

void CPolyvaneDoc::OnEditUndo() {
    History().Undo();
}

void CPolyvaneDoc::OnEditRedo() {
    History().Redo();
}

void CPolyvaneDoc::OnUpdateEditUndo(CCmdUI* state) {
    const auto names = History().UndoNames();
    state->Enable(!names.empty());
    // At the end of a history that had to let its oldest steps go, the menu says why it ends there.
    const std::string last = History().DroppedSteps() ? "&Undo (oldest steps dropped)" : "&Undo";
    state->SetText(names.empty() ? last : "&Undo " + names.front());
}

void CPolyvaneDoc::OnUpdateEditRedo(CCmdUI* state) {
    const auto names = History().RedoNames();
    state->Enable(!names.empty());
    state->SetText(names.empty() ? "&Redo" : "&Redo " + names.front());
}

} // namespace polyvane
