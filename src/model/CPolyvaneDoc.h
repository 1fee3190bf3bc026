#pragma once
// The model document: the TMD image as read, the object table and every object's decoded primitives,
// with one object selected (its records in the working array) and one primitive of it current.
#include "ModelSteps.h"
#include "Projection.h"
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
#include <string>
#include <string_view>
#include <vector>

namespace polyvane {

class CPolyvaneDoc : public CDocument {
  public:
    CPolyvaneDoc();
    ~CPolyvaneDoc() override;

    // Loading picks the reader by the name's last three letters; storing always writes TMD.
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

    // Before a save: selects every object in turn (the last stays selected), recomputes its normals
    // and its integer fields. False when an object cannot be selected.
    bool PrepareObjectsForSave(SharingMethod method);
    // The selected object's normals as saving stores them: those read from the file where the
    // geometry is unchanged, otherwise unit face normals and normalised averages at shared vertices.
    void RecomputeNormalsForSave(SharingMethod method);

    // Derived fields of the selected object, and its extents.
    void ComputeFaceNormals();
    void ComputeVertexNormals();
    void ConvertToFixed();
    void ComputeExtents();

    // Projects the selected object for a view and orders it back to front, into the records' screen
    // and draw-order fields, m_pDrawFirst and m_axisScreen.
    void Project(double distance, double focal, std::int32_t centreX, std::int32_t centreY, double angleX,
                 double angleY, double angleZ);
    // Fills those fields from a view's own projection of the selected object.
    void TakeProjection(const ProjectedObject& projected);

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
    // Runs `change` on the current primitive.
    void ChangeCurrentPrimitive(const std::string& name, const std::function<void(WorkPrimitive&)>& change);
    // Records a change already made to the current primitive, which held `before`; steps of one
    // `mergeKey` other than 0 on the same primitive become one (the moves of a drag).
    void RecordPrimitiveChange(const std::string& name, const WorkPrimitive& before,
                               std::uint64_t mergeKey = 0);
    // Runs a tool over every record of the selected object.
    void ChangeSelectedObject(const std::string& name, const ObjectStep::Tool& tool,
                              bool selfInverse = false);
    // Adds a loaded texture at the end of the list, or removes the first one named `fileName`.
    void AddTexture(TimImage&& tim);
    bool RemoveTexture(std::string_view fileName);
    // Replaces texture `position` of the list with `after`, and the records of `records` with their
    // texture fields after, as one step named `name`; false when there is no such texture.
    bool ChangeTexture(std::size_t position, const std::string& name, TimImage after,
                       std::vector<TexelFieldsEdit> records = {});
    // Textures loaded beside the model, in order of adding, and the current primitive, or none.
    [[nodiscard]] const TimList& Textures() const { return m_timList; }
    [[nodiscard]] const WorkPrimitive* CurrentPrimitive() const { return m_pCurPrim; }
    // The frame-buffer memory the textures are written over (a loaded dump); null when there is none.
    [[nodiscard]] const FrameBuffer* FrameBufferDump() const { return m_frameBufferDump.get(); }
    // Sets or (with none) removes the dump, as one step.
    void SetFrameBufferDump(std::optional<FrameBuffer> dump);
    // The last texture added now lives in the file at `path` (it was written there); not a step of
    // the history, as saving the model is not.
    void LastTextureSavedAs(std::string path);
    // A key for RecordPrimitiveChange that no earlier change used.
    [[nodiscard]] std::uint64_t NewMergeKey() { return ++m_lastMergeKey; }

    // Where the selection is, and putting it back there; false when the object no longer exists.
    [[nodiscard]] StepPlace Place() const;
    bool ShowPlace(const StepPlace& place);

    // Number of objects the document holds (never above kMaxObjects).
    [[nodiscard]] std::uint32_t ObjectCount() const { return m_header.nobj; }
    // Number of working records of the selected object; 0 when none is selected.
    [[nodiscard]] std::uint32_t WorkCount() const {
        return m_pWork && m_pObject ? m_pObject->n_primitive : 0;
    }
    // Index of the current primitive in the working array, or none.
    [[nodiscard]] std::optional<std::uint32_t> CurrentPrimitiveIndex() const;
    [[nodiscard]] bool HasClipboard() const { return m_bClipValid; }
    // Stored records of object `i` (the selected object's are in m_pWork); null when it has none.
    [[nodiscard]] const WorkPrimitive* ObjectRecords(std::uint32_t i) const;

    // A read-only look at the whole model, the selected object's records included; valid until the
    // document next changes.
    [[nodiscard]] ModelRef Model() const;
    // Replaces the model with `model` (an import's result), selects object 0 and computes the extents.
    void AdoptModel(TmdModel&& model);
    // The reverse: moves the whole model out, leaving the document without objects.
    [[nodiscard]] TmdModel TakeModel();

    TmdHeader m_header{};
    TmdObject* m_pObject = nullptr;
    std::uint32_t m_nCurObject = 0;
    std::unique_ptr<WorkPrimitive[]> m_pWork;
    // The current record of m_pWork; null when no object is selected or the object has no primitives.
    WorkPrimitive* m_pCurPrim = nullptr;
    WorkPrimitive* m_pDrawFirst = nullptr;
    // Stored records of every object but the selected one, whose records are in m_pWork (its entry is
    // empty while it is selected). Read them through ObjectRecords().
    std::array<std::unique_ptr<WorkPrimitive[]>, kMaxObjects> m_objectPrims;
    WorkPrimitive m_clipPrim{};
    std::array<TmdObject, kMaxObjects> m_objects{};
    ScreenPoint m_axisScreen[3]{};
    TmdVector m_maxExtent{};
    TmdVector m_minExtent{};
    std::list<LwoSurface> m_surfaceList;
    // Textures loaded through the TIM manager, in order of adding; never saved with the model.
    std::list<TimImage> m_timList;
    double m_lwoScale = 100.0;

  private:
    // Frees the whole model: the document then holds no objects.
    void ResetModel();
    // Reading and writing through the codecs, with their failures shown as messages.
    bool LoadTmd(CArchive& ar);
    bool LoadLwo(CArchive& ar);
    bool SaveTmd(CArchive& ar);

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
