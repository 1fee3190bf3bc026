#include "CPolyvaneDoc.h"

#include "platform/MessageBox.h"

#include "formats/FormatRegistry.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>
#include <string>

namespace polyvane {

CPolyvaneDoc::CPolyvaneDoc() = default;
CPolyvaneDoc::~CPolyvaneDoc() = default;

void CPolyvaneDoc::ResetModel() {
    m_model = TmdModel{};
    m_derivedFresh.clear();
    m_selected = 0;
    m_current.reset();
    m_maxExtent = m_minExtent = TmdVector{};
}

void CPolyvaneDoc::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        m_bStoreOk = WriteModel(ar);
        return;
    }
    m_bLoadOk = false;
    if (const FileFormat* format = Formats().ForPath(ar.GetFileName(), kOpenRole))
        m_bLoadOk = LoadModel(ar, *format);
}

void CPolyvaneDoc::SelectModelObject(std::uint32_t k) {
    if (k >= ObjectCount())
        return;
    m_selected = k;
    m_current = m_model.objects[k].entry.n_primitive > 0 ? std::optional<std::uint32_t>(0) : std::nullopt;
    UpdateAllViews(nullptr, 0, nullptr);
}

void CPolyvaneDoc::CopyPrimitive() {
    if (const WorkPrimitive* current = CurrentPrimitive()) {
        m_clipPrim = *current;
        m_bClipValid = true;
    }
}

const TmdObject& CPolyvaneDoc::ObjectEntry(std::uint32_t i) const {
    static const TmdObject kNone{};
    return i < ObjectCount() ? m_model.objects[i].entry : kNone;
}

std::span<const WorkPrimitive> CPolyvaneDoc::ObjectRecords(std::uint32_t i) const {
    return i < ObjectCount() ? m_model.objects[i].Records() : std::span<const WorkPrimitive>();
}

std::span<WorkPrimitive> CPolyvaneDoc::MutableRecords() {
    SetDerivedFieldsFresh(m_selected, false);
    return SelectedRecords();
}

std::span<WorkPrimitive> CPolyvaneDoc::SelectedRecords() {
    if (!HasSelection())
        return {};
    TmdModelObject& object = m_model.objects[m_selected];
    return {object.records.get(), object.records ? object.entry.n_primitive : 0u};
}

std::span<const KeptPacket> CPolyvaneDoc::KeptPackets(std::uint32_t i) const {
    return i < ObjectCount() ? std::span<const KeptPacket>(m_model.objects[i].kept)
                             : std::span<const KeptPacket>();
}

const WorkPrimitive* CPolyvaneDoc::CurrentPrimitive() const {
    const std::span<const WorkPrimitive> records = Records();
    return m_current && *m_current < records.size() ? &records[*m_current] : nullptr;
}

void CPolyvaneDoc::AdoptModel(TmdModel&& model) {
    ResetModel();
    m_model = std::move(model);
    model = TmdModel{};
    if (m_model.objects.size() > kMaxObjects)
        m_model.objects.resize(kMaxObjects);
    m_model.header.nobj = ObjectCount();
    // An object without records is one without primitives, so that every count agrees with what the
    // document holds.
    for (TmdModelObject& object : m_model.objects)
        if (!object.records)
            object.entry.n_primitive = 0;
    m_derivedFresh.assign(m_model.objects.size(), false);
    SelectModelObject(0);
    ComputeExtents();
}

TmdModel CPolyvaneDoc::TakeModel() {
    TmdModel model = std::move(m_model);
    ResetModel();
    return model;
}

void CPolyvaneDoc::ReloadFrom(CPolyvaneDoc& fresh) {
    const StepPlace place = Place();
    AdoptModel(fresh.TakeModel());
    m_surfaceList = std::move(fresh.m_surfaceList);
    ShowPlace(place);
    History().Clear();
    SetModifiedFlag(false);
    UpdateAllViews(nullptr, 0, nullptr);
}

} // namespace polyvane
