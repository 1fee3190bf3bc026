// Changes to a loaded texture (moved, its palette edited) with the records that follow it, and the
// frame-buffer dump the textures lie over, as steps of the document's history.
#include "CPolyvaneDoc.h"

#include <iterator>

namespace polyvane {

namespace {

void PutTexelFields(WorkPrimitive& to, const WorkPrimitive& from) {
    to.tpage = from.tpage;
    to.pmode = from.pmode;
    to.clutX = from.clutX;
    to.clutY = from.clutY;
    std::copy(std::begin(from.u), std::end(from.u), std::begin(to.u));
    std::copy(std::begin(from.v), std::end(from.v), std::begin(to.v));
}

} // namespace

// The texture before and after, swapped in and out; its records' texture fields with it.
class TextureChangeStep : public UndoStep {
  public:
    TextureChangeStep(CPolyvaneDoc& doc, std::string name, std::size_t position, TimImage other,
                      std::vector<TexelFieldsEdit> records)
        : m_doc(doc), m_name(std::move(name)), m_position(position), m_other(std::move(other)),
          m_records(std::move(records)) {}
    void Undo() override { Swap(false); }
    void Redo() override { Swap(true); }
    [[nodiscard]] std::string Name() const override { return m_name; }
    [[nodiscard]] std::size_t Bytes() const override {
        return sizeof *this + m_other.pixels.size() + m_records.size() * sizeof(TexelFieldsEdit);
    }
    // Textures are saved on their own; only record changes touch the model file.
    [[nodiscard]] bool ChangesFile() const override { return !m_records.empty(); }

  private:
    void Swap(bool forward) {
        TimList& list = m_doc.m_timList;
        if (m_position >= list.size())
            return;
        std::swap(*std::next(list.begin(), static_cast<std::ptrdiff_t>(m_position)), m_other);
        for (const TexelFieldsEdit& edit : m_records)
            if (WorkPrimitive* record = m_doc.EditedRecord(edit))
                PutTexelFields(*record, forward ? edit.after : edit.before);
        m_doc.UpdateAllViews(nullptr, 0, nullptr);
    }

    CPolyvaneDoc& m_doc;
    std::string m_name;
    std::size_t m_position;
    TimImage m_other; // the texture not in the list
    std::vector<TexelFieldsEdit> m_records;
};

class DumpStep : public UndoStep {
  public:
    DumpStep(CPolyvaneDoc& doc, std::shared_ptr<const FrameBuffer> other)
        : m_doc(doc), m_other(std::move(other)) {}
    void Undo() override { Swap(); }
    void Redo() override { Swap(); }
    [[nodiscard]] std::string Name() const override { return "Load Frame-Buffer Dump"; }
    [[nodiscard]] std::size_t Bytes() const override { return sizeof *this + (m_other ? kDumpWords * 2 : 0); }
    [[nodiscard]] bool ChangesFile() const override { return false; }

  private:
    static constexpr std::size_t kDumpWords = std::size_t{kFrameBufferWidth} * kFrameBufferHeight;
    void Swap() {
        std::swap(m_doc.m_frameBufferDump, m_other);
        m_doc.UpdateAllViews(nullptr, 0, nullptr);
    }
    CPolyvaneDoc& m_doc;
    std::shared_ptr<const FrameBuffer> m_other;
};

WorkPrimitive* CPolyvaneDoc::EditedRecord(const TexelFieldsEdit& edit) {
    if (edit.object >= ObjectCount())
        return nullptr;
    TmdModelObject& object = m_model.objects[edit.object];
    if (!object.records || edit.primitive >= object.entry.n_primitive)
        return nullptr;
    SetDerivedFieldsFresh(edit.object, false);
    return &object.records[edit.primitive];
}

bool CPolyvaneDoc::ChangeTexture(std::size_t position, const std::string& name, TimImage after,
                                 std::vector<TexelFieldsEdit> records) {
    if (position >= m_timList.size())
        return false;
    auto step =
        std::make_unique<TextureChangeStep>(*this, name, position, std::move(after), std::move(records));
    step->Redo();
    History().Push(std::move(step));
    return true;
}

void CPolyvaneDoc::SetFrameBufferDump(std::optional<FrameBuffer> dump) {
    std::shared_ptr<const FrameBuffer> next;
    if (dump)
        next = std::make_shared<const FrameBuffer>(std::move(*dump));
    auto step = std::make_unique<DumpStep>(*this, std::move(next));
    step->Redo();
    History().Push(std::move(step));
}

} // namespace polyvane
