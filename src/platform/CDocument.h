#pragma once
// The document base: its views, its modified flag, its title and path, and the load/save entry.
#include "CArchive.h"
#include "CCmdTarget.h"
#include "UndoHistory.h"

#include <cstdint>
#include <string>
#include <vector>

namespace polyvane {

class CView;

class CDocument : public CCmdTarget {
  public:
    CDocument() = default;
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;
    ~CDocument() override;

    // The load/save entry: reads the document from, or writes it to, the archive.
    virtual void Serialize(CArchive& ar) = 0;
    // After Serialize on a loading archive: whether the file was actually read.
    [[nodiscard]] virtual bool LoadSucceeded() const { return true; }
    // After Serialize on a storing archive: whether the whole file was written.
    [[nodiscard]] virtual bool StoreSucceeded() const { return true; }

    // Opens `path` as the framework does: a loading archive, Serialize, and the document bound to the
    // path only when the load succeeded.
    [[nodiscard]] virtual bool OnOpenDocument(const std::string& path);
    // Saves to `path` through a storing archive; the target is replaced only when everything was
    // written. On success the document is bound to the path and no longer modified.
    [[nodiscard]] virtual bool OnSaveDocument(const std::string& path);
    virtual bool OnNewDocument();

    // Every view repaints itself entirely at the next opportunity.
    void UpdateAllViews(CView* sender, long hint = 0, void* hintObject = nullptr);
    // Marks a change that the history does not hold (true), or makes the present state the clean
    // point (false).
    void SetModifiedFlag(bool modified = true);
    // Modified: away from the clean point of the history, or changed outside it.
    [[nodiscard]] bool IsModified() const { return m_bModified || !m_history.IsClean(); }

    // The history every change to the document goes through.
    [[nodiscard]] UndoHistory& History() { return m_history; }
    [[nodiscard]] const UndoHistory& History() const { return m_history; }

    void AddView(CView* view);
    void RemoveView(CView* view);
    [[nodiscard]] const std::vector<CView*>& GetViews() const { return m_views; }

    [[nodiscard]] const std::string& GetPathName() const { return m_pathName; }
    void SetPathName(const std::string& path);
    [[nodiscard]] const std::string& GetTitle() const { return m_title; }
    void SetTitle(const std::string& title) { m_title = title; }
    // The document was read from an item inside another file (its path is the item's name, its title
    // that name without the container's folder): Save writes it back there, Save As to a file of its own.
    [[nodiscard]] bool IsFromItem() const { return m_fromItem; }

  private:
    // Saving into the place an address names inside another file, through the installed item writer.
    [[nodiscard]] bool SaveIntoItem(const std::string& address);

    std::vector<CView*> m_views;
    std::string m_pathName;
    std::string m_title;
    UndoHistory m_history;
    bool m_bModified = false;
    bool m_fromItem = false;
    // Bytes the item took when the document was read from an address; 0 for a file.
    std::uint64_t m_itemRoom = 0;
};

} // namespace polyvane
