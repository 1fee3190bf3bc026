// The document's changes as steps of its history, and the Undo and Redo commands.
#include "CPolyvaneDoc.h"

#include <iterator>

namespace polyvane {

namespace {

// Adding or removing one texture of the list. The texture not in the list is held by the step.
class TextureStep : public UndoStep {
  public:
    // `position` is the texture's place in the list, where it is at the time of the step.
    TextureStep(CPolyvaneDoc& doc, bool adds, std::size_t position)
        : m_doc(doc), m_adds(adds), m_position(position),
          m_bytes(sizeof *this +
                  std::next(doc.m_timList.begin(), static_cast<std::ptrdiff_t>(position))->pixels.size()) {}
    void Undo() override { m_adds ? TakeOut() : PutBack(); }
    void Redo() override { m_adds ? PutBack() : TakeOut(); }
    [[nodiscard]] std::string Name() const override { return m_adds ? "Add Texture" : "Remove Texture"; }
    [[nodiscard]] std::size_t Bytes() const override { return m_bytes; }
    // Textures are loaded beside the model, never saved with it.
    [[nodiscard]] bool ChangesFile() const override { return false; }

  private:
    void TakeOut() {
        TimList& list = m_doc.m_timList;
        if (m_position >= list.size())
            return;
        auto at = std::next(list.begin(), static_cast<std::ptrdiff_t>(m_position));
        m_held = std::move(*at);
        list.erase(at);
        m_doc.UpdateAllViews(nullptr, 0, nullptr);
    }
    void PutBack() {
        TimList& list = m_doc.m_timList;
        if (m_position > list.size())
            return;
        list.insert(std::next(list.begin(), static_cast<std::ptrdiff_t>(m_position)), std::move(m_held));
        m_held = TimImage{};
        m_doc.UpdateAllViews(nullptr, 0, nullptr);
    }

    CPolyvaneDoc& m_doc;
    bool m_adds;
    std::size_t m_position;
    std::size_t m_bytes;
    TimImage m_held;
};

} // namespace

StepPlace CPolyvaneDoc::Place() const {
    return {m_nCurObject, CurrentPrimitiveIndex()};
}

bool CPolyvaneDoc::ShowPlace(const StepPlace& place) {
    if (place.object >= ObjectCount())
        return false;
    if (!m_pWork || place.object != m_nCurObject)
        SelectModelObject(place.object);
    if (!m_pWork)
        return false;
    if (place.primitive && *place.primitive < WorkCount())
        m_pCurPrim = &m_pWork[*place.primitive];
    UpdateAllViews(nullptr, 0, nullptr);
    return true;
}

void CPolyvaneDoc::ChangeCurrentPrimitive(const std::string& name,
                                          const std::function<void(WorkPrimitive&)>& change) {
    if (!m_pCurPrim)
        return;
    const WorkPrimitive before = *m_pCurPrim;
    change(*m_pCurPrim);
    RecordPrimitiveChange(name, before);
}

void CPolyvaneDoc::RecordPrimitiveChange(const std::string& name, const WorkPrimitive& before,
                                         std::uint64_t mergeKey) {
    if (!m_pCurPrim)
        return;
    History().Push(std::make_unique<RecordStep>(*this, name, Place(), before, *m_pCurPrim, mergeKey));
}

void CPolyvaneDoc::ChangeSelectedObject(const std::string& name, const ObjectStep::Tool& tool,
                                        bool selfInverse) {
    if (!m_pWork)
        return;
    const std::uint32_t count = WorkCount();
    // The records before, held only while the step finds what it must keep of them.
    std::unique_ptr<WorkPrimitive[]> before(new (std::nothrow) WorkPrimitive[count]);
    if (!before) {
        // Without room to keep the records the change cannot be taken back: it is made all the same,
        // as before there was a history, and the history no longer reaches back past it.
        tool(*this);
        UpdateAllViews(nullptr, 0, nullptr);
        History().Clear();
        SetModifiedFlag(true);
        return;
    }
    std::copy(m_pWork.get(), m_pWork.get() + count, before.get());
    const TmdVector minExtent = m_minExtent;
    const TmdVector maxExtent = m_maxExtent;
    const StepPlace place = Place();
    tool(*this);
    // A tool that is its own inverse is run once more to see which records it would not give back,
    // and once more to make the change again.
    if (selfInverse)
        tool(*this);
    std::vector<ObjectStep::KeptRecord> kept;
    for (std::uint32_t r = 0; r < count; ++r)
        if (!SameModelFields(m_pWork[r], before[r]))
            kept.push_back({r, before[r]});
    if (selfInverse)
        tool(*this);
    kept.shrink_to_fit();
    before.reset();
    UpdateAllViews(nullptr, 0, nullptr);
    History().Push(std::make_unique<ObjectStep>(*this, name, place, std::move(kept), count, minExtent,
                                                maxExtent, tool, selfInverse));
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
