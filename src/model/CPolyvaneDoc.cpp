#include "CPolyvaneDoc.h"

#include "platform/MessageBox.h"

#include "formats/FormatRegistry.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

namespace polyvane {

CPolyvaneDoc::CPolyvaneDoc() = default;
CPolyvaneDoc::~CPolyvaneDoc() = default;

void CPolyvaneDoc::ResetModel() {
    m_header = TmdHeader{};
    m_pObject = nullptr;
    m_nCurObject = 0;
    m_pWork.reset();
    m_pCurPrim = nullptr;
    m_pDrawFirst = nullptr;
    for (auto& prims : m_objectPrims)
        prims.reset();
    m_objects.fill(TmdObject{});
    m_keptPackets.clear();
    m_maxExtent = m_minExtent = TmdVector{};
}

void CPolyvaneDoc::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        m_bStoreOk = SaveTmd(ar);
        return;
    }
    m_bLoadOk = false;
    if (const FileFormat* format = Formats().ForPath(ar.GetFileName(), kOpenRole))
        m_bLoadOk = LoadModel(ar, *format);
}

void CPolyvaneDoc::SelectModelObject(std::uint32_t k) {
    if (k >= m_header.nobj || k >= kMaxObjects)
        return;
    // The selected object's records live in m_pWork and nowhere else: storing hands the array back to
    // the object's entry and selecting takes it out again, so no selection copies records.
    if (m_pWork)
        m_objectPrims[m_nCurObject] = std::move(m_pWork);
    m_pCurPrim = nullptr;
    TmdObject& object = m_objects[k];
    m_pWork = std::move(m_objectPrims[k]);
    if (!m_pWork) {
        // The object has no records (none decoded, or they were lost): it is treated as having none,
        // so that every later count agrees with what the document holds.
        object.n_primitive = 0;
        m_pWork.reset(new (std::nothrow) WorkPrimitive[0]);
        if (!m_pWork) {
            AfxMessageBox("Not enough memory to select object");
            return;
        }
    }
    m_pObject = &object;
    m_pCurPrim = object.n_primitive > 0 ? m_pWork.get() : nullptr;
    m_nCurObject = k;
    UpdateAllViews(nullptr, 0, nullptr);
}

void CPolyvaneDoc::CopyPrimitive() {
    if (!m_pCurPrim)
        return;
    m_clipPrim = *m_pCurPrim;
    m_bClipValid = true;
}

std::optional<std::uint32_t> CPolyvaneDoc::CurrentPrimitiveIndex() const {
    if (!m_pCurPrim || !m_pWork)
        return std::nullopt;
    return static_cast<std::uint32_t>(m_pCurPrim - m_pWork.get());
}

const WorkPrimitive* CPolyvaneDoc::ObjectRecords(std::uint32_t i) const {
    if (i >= kMaxObjects)
        return nullptr;
    if (i == m_nCurObject && m_pWork)
        return m_pWork.get();
    return m_objectPrims[i].get();
}

std::span<const KeptPacket> CPolyvaneDoc::KeptPackets(std::uint32_t i) const {
    return i < m_keptPackets.size() ? std::span<const KeptPacket>(m_keptPackets[i])
                                    : std::span<const KeptPacket>();
}

ModelRef CPolyvaneDoc::Model() const {
    ModelRef ref{m_header, {}};
    const std::uint32_t count = ObjectCount();
    ref.objects.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const WorkPrimitive* records = ObjectRecords(i);
        ref.objects.push_back(
            {m_objects[i], {records, records ? m_objects[i].n_primitive : 0u}, KeptPackets(i)});
    }
    return ref;
}

void CPolyvaneDoc::Project(double distance, double focal, std::int32_t centreX, std::int32_t centreY,
                           double angleX, double angleY, double angleZ) {
    if (!m_pWork)
        return;
    ProjectedObject projected;
    ProjectObject({m_pWork.get(), WorkCount()},
                  Projector(distance, focal, centreX, centreY, angleX, angleY, angleZ), projected);
    TakeProjection(projected);
}

void CPolyvaneDoc::TakeProjection(const ProjectedObject& projected) {
    const std::uint32_t n = WorkCount();
    if (!m_pWork || projected.screen.size() != n || projected.order.size() != n)
        return;
    for (std::uint32_t i = 0; i < n; ++i) {
        std::copy(projected.screen[i].begin(), projected.screen[i].end(), m_pWork[i].screen);
        // The order is carried by the links; every record is marked as placed in it.
        m_pWork[i].depth = kDepthTaken;
    }
    for (std::uint32_t k = 0; k < n; ++k)
        m_pWork[projected.order[k]].pNext = k + 1 < n ? &m_pWork[projected.order[k + 1]] : nullptr;
    m_pDrawFirst = n ? &m_pWork[projected.order[0]] : nullptr;
    std::copy(projected.axis.begin(), projected.axis.end(), m_axisScreen);
}

void CPolyvaneDoc::AdoptModel(TmdModel&& model) {
    ResetModel();
    m_header = model.header;
    m_header.nobj = static_cast<std::uint32_t>(std::min<std::size_t>(model.objects.size(), kMaxObjects));
    for (std::uint32_t i = 0; i < m_header.nobj; ++i) {
        m_objects[i] = model.objects[i].entry;
        if (!model.objects[i].records)
            m_objects[i].n_primitive = 0;
        m_objectPrims[i] = std::move(model.objects[i].records);
    }
    m_keptPackets.resize(m_header.nobj);
    for (std::uint32_t i = 0; i < m_header.nobj; ++i)
        m_keptPackets[i] = std::move(model.objects[i].kept);
    model = TmdModel{};
    SelectModelObject(0);
    ComputeExtents();
}

TmdModel CPolyvaneDoc::TakeModel() {
    // The selected object's records are back in its slot first, so every object is taken alike.
    if (m_pWork)
        m_objectPrims[m_nCurObject] = std::move(m_pWork);
    TmdModel model;
    model.header = m_header;
    model.objects.resize(ObjectCount());
    for (std::uint32_t i = 0; i < ObjectCount(); ++i) {
        model.objects[i].entry = m_objects[i];
        model.objects[i].records = std::move(m_objectPrims[i]);
        if (i < m_keptPackets.size())
            model.objects[i].kept = std::move(m_keptPackets[i]);
    }
    ResetModel();
    return model;
}

} // namespace polyvane
