#pragma once
// The steps the model document records in its history. Each finds its records by object and
// primitive index, so that a selection moving records between arrays never leaves one dangling, and
// puts the selection back where the change was made, so the user sees what was taken back.
#include "formats/TimImage.h"
#include "formats/TmdPackets.h"
#include "formats/TmdTypes.h"
#include "platform/UndoHistory.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace polyvane {

class CPolyvaneDoc;

// Where a step was made: the selected object and its current primitive, if any.
struct StepPlace {
    std::uint32_t object = 0;
    std::optional<std::uint32_t> primitive;
};

// A change to one primitive's record: its fields before and after.
class RecordStep : public UndoStep {
  public:
    // `mergeKey` other than 0 folds later steps with the same key and record into this one.
    RecordStep(CPolyvaneDoc& doc, std::string name, StepPlace place, const WorkPrimitive& before,
               const WorkPrimitive& after, std::uint64_t mergeKey = 0);
    void Undo() override;
    void Redo() override;
    [[nodiscard]] std::string Name() const override { return m_name; }
    [[nodiscard]] std::size_t Bytes() const override { return sizeof *this; }
    bool MergeWith(const UndoStep& next) override;

  private:
    void Put(const WorkPrimitive& record);

    CPolyvaneDoc& m_doc;
    std::string m_name;
    StepPlace m_place;
    WorkPrimitive m_before, m_after;
    std::uint64_t m_mergeKey;
};

// A change to the records of one object (a geometry tool). It keeps, of the records before, only those
// the tool changed; making it again runs the tool again on them, which gives the same records as the
// first time. A tool that is its own inverse (a flip or a swap) is taken back by running it again, and
// the step keeps only the records whose normals were not what the document computes from their
// coordinates (those read from the file, or stale after an edit): for a model whose normals are up
// to date, nothing.
class ObjectStep : public UndoStep {
  public:
    // Changes the selected object's records and the vertices of its kept packets; the document brings
    // the derived fields up to date.
    using Tool = std::function<void(std::span<WorkPrimitive>, std::span<KeptPacket>)>;
    // A record as it was before the step, and its index in the object.
    struct KeptRecord {
        std::uint32_t index;
        WorkPrimitive record;
    };
    // `packets`: the object's kept packets before a tool that is not its own inverse, if it has any.
    // `fresh`: whether the object's derived fields were up to date before.
    ObjectStep(CPolyvaneDoc& doc, std::string name, StepPlace place, std::vector<KeptRecord> kept,
               std::optional<std::vector<KeptPacket>> packets, std::uint32_t count, TmdVector minExtent,
               TmdVector maxExtent, Tool tool, bool selfInverse, bool fresh);
    void Undo() override;
    void Redo() override;
    [[nodiscard]] std::string Name() const override { return m_name; }
    [[nodiscard]] std::size_t Bytes() const override {
        return sizeof *this + sizeof(KeptRecord) * m_kept.capacity() + PacketBytes();
    }

  private:
    [[nodiscard]] std::size_t PacketBytes() const;

    CPolyvaneDoc& m_doc;
    std::string m_name;
    StepPlace m_place;
    std::vector<KeptRecord> m_kept;
    std::optional<std::vector<KeptPacket>> m_packets;
    std::uint32_t m_count;
    TmdVector m_minExtent, m_maxExtent;
    Tool m_tool;
    bool m_selfInverse;
    bool m_fresh;
};

// One record's texture fields (page, colour table, coordinates) before and after a change made with
// a texture's, found by object and primitive index.
struct TexelFieldsEdit {
    std::uint32_t object = 0;
    std::uint32_t primitive = 0;
    WorkPrimitive before{}, after{};
};

// Adding or removing one texture of the list. The texture not in the list is held by the step.
class TextureStep : public UndoStep {
  public:
    // `position` is the texture's place in the list, where it is at the time of the step.
    TextureStep(CPolyvaneDoc& doc, bool adds, std::size_t position);
    void Undo() override { m_adds ? TakeOut() : PutBack(); }
    void Redo() override { m_adds ? PutBack() : TakeOut(); }
    [[nodiscard]] std::string Name() const override { return m_adds ? "Add Texture" : "Remove Texture"; }
    [[nodiscard]] std::size_t Bytes() const override { return m_bytes; }
    // Textures are loaded beside the model, never saved with it.
    [[nodiscard]] bool ChangesFile() const override { return false; }

  private:
    void TakeOut();
    void PutBack();

    CPolyvaneDoc& m_doc;
    bool m_adds;
    std::size_t m_position;
    std::size_t m_bytes;
    TimImage m_held;
};

// Whether two records hold the same model, bit for bit.
[[nodiscard]] bool SameModelFields(const WorkPrimitive& a, const WorkPrimitive& b);

} // namespace polyvane
