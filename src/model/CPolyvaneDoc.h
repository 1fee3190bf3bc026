#pragma once
// The model document: a model value (header, object table, every object's decoded primitives), one
// object selected and one primitive of it current, the attribute clipboard and the textures loaded
// beside the model. Code outside src/model reads it through the accessors and changes it only through
// the change functions, each a step of the history.
#include "ModelSteps.h"
#include "formats/FormatRegistry.h"
#include "formats/LwoSurface.h"
#include "formats/TimList.h"
#include "formats/TmdModel.h"
#include "formats/TmdTypes.h"
#include "formats/VertexSharing.h"
#include "gpu/FrameBuffer.h"
#include "platform/CArchive.h"
#include "platform/CDocument.h"

#include <array>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace polyvane {

class CPolyvaneDoc : public CDocument {
  public:
    CPolyvaneDoc();
    ~CPolyvaneDoc() override;

    // Loading picks the reader by the name's extension from the format table; storing writes TMD.
    void Serialize(CArchive& ar) override;
    [[nodiscard]] bool LoadSucceeded() const override { return m_bLoadOk; }
    [[nodiscard]] bool StoreSucceeded() const override { return m_bStoreOk; }
    bool OnCmdMsg(unsigned id, CCmdUI* update) override;
    // Commands the document does not handle itself go on to a target made by `make` for each
    // document: the layer above installs the one that runs its dialogs. Returns the previous factory.
    using CommandExtensionFactory = std::unique_ptr<CCmdTarget> (*)(CPolyvaneDoc&);
    static CommandExtensionFactory SetCommandExtension(CommandExtensionFactory make);

    // Selection and the attribute clipboard.
    void SelectModelObject(std::uint32_t k);
    void CopyPrimitive();
    // Makes record `index` of the selected object current; false, changing nothing, when the object
    // has no such record.
    bool SelectPrimitive(std::uint32_t index);

    // Saves through the codec: writing is WriteTmd(PrepareForSave(model)). The document keeps the
    // prepared records (the normals and integer fields the file now holds) and its selection; a failed
    // write selects the object it failed at and says why. `method` picks the sharing searches.
    bool WriteModel(CArchive& ar, SharingMethod method = SharingMethod::hashed);

    // Brings the extents up to date with the selected object's coordinates.
    void ComputeExtents();

    // Commands.
    void OnNextPrim();
    void OnPrevPrim();
    void OnNextObject();
    void OnPrevObject();
    void OnEditCopy();
    void PastePrimitive();
    void OnSwapXZ();
    void OnFlipX();
    void OnFlipY();
    void OnFlipZ();
    void OnEditUndo();
    void OnEditRedo();
    void OnUpdateEditUndo(CCmdUI* state);
    void OnUpdateEditRedo(CCmdUI* state);

    // Changes to the model, each recorded in the history as one step named `name`.
    // Runs `change` on a copy of the current primitive and makes the result the current primitive;
    // steps of one `mergeKey` other than 0 on the same primitive become one (the moves of a drag).
    void ChangeCurrentPrimitive(const std::string& name, const std::function<void(WorkPrimitive&)>& change,
                                std::uint64_t mergeKey = 0);
    // Runs a tool over every record of the selected object, then brings its derived fields, the
    // extents and the views up to date. A `selfInverse` tool is taken back by running it again.
    void ChangeSelectedObject(const std::string& name, const ObjectStep::Tool& tool,
                              bool selfInverse = false);
    // Adds a loaded texture at the end of the list, or removes the first one named `fileName`.
    void AddTexture(TimImage&& tim);
    bool RemoveTexture(std::string_view fileName);
    // Textures that come with the model rather than from an edit (the CLI's --tim, a texture file
    // changed on disk) are put in place outside the history: there is nothing to take back.
    void AttachTexture(TimImage&& tim);
    // Replaces every texture loaded from `fresh.fileName`; false when none is.
    bool ReplaceTexture(const TimImage& fresh);
    // The model of `fresh` (the same file read again) in place of this one, the selection kept where
    // it can be; the history is cleared, since its steps name records of the old model.
    void ReloadFrom(CPolyvaneDoc& fresh);
    // Replaces texture `position` of the list with `after`, and the records of `records` with their
    // texture fields after, as one step named `name`; false when there is no such texture.
    bool ChangeTexture(std::size_t position, const std::string& name, TimImage after,
                       std::vector<TexelFieldsEdit> records = {});
    // The frame-buffer memory the textures are written over (a loaded dump); null when there is none.
    [[nodiscard]] const FrameBuffer* FrameBufferDump() const { return m_frameBufferDump.get(); }
    // Sets or (with none) removes the dump, as one step.
    void SetFrameBufferDump(std::optional<FrameBuffer> dump);
    // The last texture added now lives in the file at `path` (it was written there); not a step of
    // the history, as saving the model is not.
    void LastTextureSavedAs(std::string path);
    // A key for ChangeCurrentPrimitive that no earlier change used.
    [[nodiscard]] std::uint64_t NewMergeKey() { return ++m_lastMergeKey; }

    // Where the selection is, and putting it back there; false when the object no longer exists.
    [[nodiscard]] StepPlace Place() const;
    bool ShowPlace(const StepPlace& place);

    // Reading the model. Spans and pointers stay valid until the document next changes.
    [[nodiscard]] const TmdHeader& Header() const { return m_model.header; }
    // Number of objects the document holds (never above kMaxObjects).
    [[nodiscard]] std::uint32_t ObjectCount() const {
        return static_cast<std::uint32_t>(m_model.objects.size());
    }
    // True when an object is selected: always, unless the document holds none.
    [[nodiscard]] bool HasSelection() const { return m_selected < ObjectCount(); }
    // Index of the selected object (0 when there is none).
    [[nodiscard]] std::uint32_t SelectedObject() const { return m_selected; }
    // Object table entry `i`; an empty entry past the last object.
    [[nodiscard]] const TmdObject& ObjectEntry(std::uint32_t i) const;
    // Records of object `i`, and of the selected object; empty when there are none.
    [[nodiscard]] std::span<const WorkPrimitive> ObjectRecords(std::uint32_t i) const;
    [[nodiscard]] std::span<const WorkPrimitive> Records() const { return ObjectRecords(m_selected); }
    // Number of records of the selected object; 0 when none is selected.
    [[nodiscard]] std::uint32_t WorkCount() const { return static_cast<std::uint32_t>(Records().size()); }
    // The current primitive of the selected object and its index, or none.
    [[nodiscard]] const WorkPrimitive* CurrentPrimitive() const;
    [[nodiscard]] std::optional<std::uint32_t> CurrentPrimitiveIndex() const { return m_current; }
    // The attribute clipboard: meaningful when HasClipboard().
    [[nodiscard]] bool HasClipboard() const { return m_bClipValid; }
    [[nodiscard]] const WorkPrimitive& Clipboard() const { return m_clipPrim; }
    // The selected object's extents as ComputeExtents last found them (0 always inside).
    [[nodiscard]] const TmdVector& MinExtent() const { return m_minExtent; }
    [[nodiscard]] const TmdVector& MaxExtent() const { return m_maxExtent; }
    // Surfaces of an LWOB file read; empty for a TMD file.
    [[nodiscard]] const std::list<LwoSurface>& Surfaces() const { return m_surfaceList; }
    // Textures loaded beside the model, in order of adding; never saved with it.
    [[nodiscard]] const TimList& Textures() const { return m_timList; }

    // Object `i`'s packets other than polygons, kept as read; empty when it has none.
    [[nodiscard]] std::span<const KeptPacket> KeptPackets(std::uint32_t i) const;

    // A read-only look at the whole model, as the writer and exporters take it.
    [[nodiscard]] ModelRef Model() const { return RefOf(m_model); }
    // Replaces the model with `model` (an import's result), selects object 0 and computes the extents.
    void AdoptModel(TmdModel&& model);
    // The reverse: moves the whole model out, leaving the document without objects.
    [[nodiscard]] TmdModel TakeModel();

  private:
    friend class RecordStep;
    friend class ObjectStep;
    friend class TextureStep;

    // Frees the whole model: the document then holds no objects.
    void ResetModel();
    // Reading and writing through the codecs, with their failures shown as messages.
    bool LoadModel(CArchive& ar, const FileFormat& format);
    // Derived fields of the selected object: its normals from its coordinates (the file's normals are
    // dropped), then the integer copies and the extents. The object is then known to be up to date.
    void RefreshDerivedFields();
    // The extents of the selected object's integer vertices, made from the coordinates first when
    // `convert`.
    void MeasureExtents(bool convert);
    // The normals of `records` from their coordinates, the file's dropped.
    static void RefreshNormals(std::span<WorkPrimitive> records);
    // What RefreshDerivedFields makes of `records`, without the extents.
    static void RefreshRecords(std::span<WorkPrimitive> records);
    // The selected object's records, for the document's own changes and its history's steps. Taking
    // them marks the object's derived fields as possibly out of date.
    [[nodiscard]] std::span<WorkPrimitive> MutableRecords();
    // The same records for recomputing their derived fields, which leaves the mark alone.
    [[nodiscard]] std::span<WorkPrimitive> SelectedRecords();
    // Whether the selected object's derived fields are what RefreshDerivedFields would make of its
    // coordinates, so that a tool that is its own inverse, run again, gives back every record.
    [[nodiscard]] bool DerivedFieldsFresh() const;
    void SetDerivedFieldsFresh(std::uint32_t object, bool fresh);
    // The selected object's kept packets, for the tools that move its vertices.
    [[nodiscard]] std::span<KeptPacket> SelectedPackets();
    // Runs an object tool on the selected object's records and packets and brings everything derived
    // up to date.
    void RunObjectTool(const ObjectStep::Tool& tool);
    // Records a change made to the current primitive, which held `before`.
    void RecordPrimitiveChange(const std::string& name, const WorkPrimitive& before, std::uint64_t mergeKey);

    TmdModel m_model;
    // Per object: its derived fields are known to follow from its coordinates.
    std::vector<bool> m_derivedFresh;
    std::uint32_t m_selected = 0;
    std::optional<std::uint32_t> m_current;
    WorkPrimitive m_clipPrim{};
    TmdVector m_maxExtent{};
    TmdVector m_minExtent{};
    std::list<LwoSurface> m_surfaceList;
    TimList m_timList;
    double m_lwoScale = 100.0;

    static inline CommandExtensionFactory s_makeCommandExtension = nullptr;
    std::unique_ptr<CCmdTarget> m_pCommandExtension;

    friend class TextureChangeStep;
    friend class DumpStep;
    // The record `edit` names; null when there is none.
    WorkPrimitive* EditedRecord(const TexelFieldsEdit& edit);
    std::shared_ptr<const FrameBuffer> m_frameBufferDump;

    std::uint64_t m_lastMergeKey = 0;
    bool m_bClipValid = false;
    bool m_bLoadOk = false;
    bool m_bStoreOk = false;
};

} // namespace polyvane
