#include "CDocument.h"

#include "CView.h"
#include "ItemNames.h"
#include "MessageBox.h"

#include <algorithm>
#include <filesystem>

namespace polyvane {

CDocument::~CDocument() {
    // Views outlive nothing of the document; detach them so they do not call back into it.
    for (CView* view : std::vector<CView*>(m_views))
        view->SetDocument(nullptr);
}

void CDocument::SetModifiedFlag(bool modified) {
    m_bModified = modified;
    if (!modified)
        m_history.SetClean();
}

bool CDocument::OnNewDocument() {
    m_pathName.clear();
    m_fromItem = false;
    m_itemRoom = 0;
    m_bModified = false;
    m_history.Clear();
    return true;
}

bool CDocument::OnOpenDocument(const std::string& path) {
    const std::optional<NamedItem> item = ResolveItemName(path);
    if (item && !item->error.empty()) {
        AfxMessageBox(item->error);
        return false;
    }
    // An item's bytes are read under a name that says what they are; the document keeps the item's.
    CArchive ar = item ? CArchive::FromMemory(item->bytes, "item." + item->extension) : CArchive();
    if (!item && !ar.OpenForLoad(path)) {
        AfxMessageBox("Could not open file");
        return false;
    }
    Serialize(ar);
    if (!LoadSucceeded())
        return false;
    SetPathName(path);
    m_fromItem = item.has_value();
    m_itemRoom = item ? item->bytes.size() : 0;
    if (m_fromItem)
        m_title = item->title;
    m_bModified = false;
    m_history.Clear();
    return true;
}

bool CDocument::OnSaveDocument(const std::string& path) {
    if (IsWritableItemName(path))
        return SaveIntoItem(path);
    CArchive ar;
    if (!ar.OpenForStore(path)) {
        AfxMessageBox("Could not save file");
        return false;
    }
    Serialize(ar);
    if (!StoreSucceeded()) {
        // The writer has said why; the user's file is untouched.
        ar.Abort();
        return false;
    }
    ar.MarkComplete();
    if (!ar.Commit()) {
        AfxMessageBox("Could not save file");
        return false;
    }
    SetPathName(path);
    m_fromItem = false;
    SetModifiedFlag(false);
    return true;
}

bool CDocument::SaveIntoItem(const std::string& address) {
    CArchive ar = CArchive::ToMemory("item");
    Serialize(ar);
    if (!StoreSucceeded())
        return false;
    const ItemWriteReport report = WriteNamedItem(address, ar.StoredBytes(), m_itemRoom);
    for (const std::string& message : report.messages)
        AfxMessageBox(message);
    if (!report.written) {
        AfxMessageBox(report.error);
        return false;
    }
    if (address != m_pathName) {
        // Another place's room is not known: only the item found there counts.
        SetPathName(address);
        m_itemRoom = 0;
    }
    m_fromItem = true;
    SetModifiedFlag(false);
    return true;
}

void CDocument::UpdateAllViews(CView* sender, long hint, void* hintObject) {
    for (CView* view : m_views)
        if (view != sender)
            view->OnUpdate(sender, hint, hintObject);
}

void CDocument::AddView(CView* view) {
    if (std::find(m_views.begin(), m_views.end(), view) == m_views.end())
        m_views.push_back(view);
}

void CDocument::RemoveView(CView* view) {
    std::erase(m_views, view);
}

void CDocument::SetPathName(const std::string& path) {
    m_pathName = path;
    m_title = std::filesystem::path(path).filename().string();
}

} // namespace polyvane
