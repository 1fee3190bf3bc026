#pragma once
// The dialog base. A dialog's logic talks to its controls by ID through a host that the backend
// builds from the dialog's template; running a dialog modally goes through the installed dialog
// service, so the same logic runs in the Qt application and headless in tests.
#include "CCmdTarget.h"
#include "DialogTemplate.h"
#include "Geometry.h"
#include "ScopedService.h"

#include <string>
#include <string_view>

namespace polyvane {

class CDataExchange;
class CDialog;

// Check states of check boxes and radio buttons.
constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;

// What a dialog asks of the window that shows it. Operations on an ID the dialog does not have do
// nothing and read as empty, unchecked, disabled or -1.
class IDialogHost {
  public:
    virtual ~IDialogHost() = default;

    [[nodiscard]] virtual bool HasControl(int id) const = 0;
    [[nodiscard]] virtual ControlKind KindOf(int id) const = 0;
    virtual void EnableControl(int id, bool enable) = 0;
    [[nodiscard]] virtual bool IsControlEnabled(int id) const = 0;
    virtual void SetControlText(int id, std::string_view text) = 0;
    [[nodiscard]] virtual std::string GetControlText(int id) const = 0;
    virtual void SetCheck(int id, int state) = 0;
    [[nodiscard]] virtual int GetCheck(int id) const = 0;
    // The whole dialog repaints later (its refresh hook runs then), its background erased or not.
    virtual void Invalidate(bool erase) = 0;
    // A control's client rectangle, left and top 0.
    [[nodiscard]] virtual CRect GetControlClientRect(int id) const = 0;
    // Fills a rectangle of a colour swatch's client area with one colour.
    virtual void FillSolidRect(int id, const CRect& rect, COLORREF colour) = 0;

    virtual void SetSliderRange(int id, int minimum, int maximum, bool redraw) = 0;
    virtual void SetSliderTickFrequency(int id, int frequency) = 0;
    virtual void SetSliderPos(int id, int position) = 0;
    [[nodiscard]] virtual int GetSliderPos(int id) const = 0;

    // List boxes. Indices count lines from 0 in display order; -1 means none.
    virtual int ListAddString(int id, std::string_view text) = 0;
    [[nodiscard]] virtual int ListGetCurSel(int id) const = 0;
    [[nodiscard]] virtual std::string ListGetText(int id, int index) const = 0;
    virtual void ListDeleteString(int id, int index) = 0;
    [[nodiscard]] virtual int ListGetCount(int id) const = 0;

    // Moves the keyboard focus to a control (an edit's text is then selected whole).
    virtual void FocusControl(int id) = 0;
    // Closes the dialog; its modal run returns `result`.
    virtual void EndDialog(int result) = 0;
};

// The order of a sorted list box's lines: letters compared without case first, then with it, so
// every backend sorts alike.
[[nodiscard]] bool ListBoxLineLess(std::string_view a, std::string_view b);

// Runs dialogs modally: builds a host from the dialog's template, opens the dialog on it and returns
// IDOK, IDCANCEL, or -1 when the template does not exist.
class IDialogService {
  public:
    virtual ~IDialogService() = default;
    virtual int RunModal(CDialog& dialog) = 0;
};

// Installs `service` for CDialog::DoModal (null restores the headless default) and returns the one
// installed before.
IDialogService* SetDialogService(IDialogService* service);
IDialogService& DialogService();
using ScopedDialogService = ScopedService<IDialogService, &SetDialogService>;

class CDialog : public CCmdTarget {
  public:
    // `parent` is the owner window's handle; every dialog of the program passes none.
    explicit CDialog(int templateId, void* parent = nullptr) : m_nTemplateId(templateId), m_pParent(parent) {}
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;
    ~CDialog() override = default;

    [[nodiscard]] int TemplateId() const { return m_nTemplateId; }
    [[nodiscard]] void* Parent() const { return m_pParent; }

    // Runs the dialog modally through the dialog service; IDOK, IDCANCEL or -1.
    int DoModal();

    // Hooks. The backend calls OnInitDialog once its controls exist, OnPaint on every repaint of the
    // dialog and OnCmdMsg when a button, check box, radio button or notifying static is clicked.
    virtual bool OnInitDialog();
    virtual void OnPaint() {}
    // Routes a control's click: IDOK and IDCANCEL go to OnOK and OnCancel unless a derived table takes them.
    bool OnCmdMsg(unsigned id, CCmdUI* update) override;
    virtual void OnOK();
    virtual void OnCancel();

    // Moves the bound values to the controls (`saveAndValidate` false) or back with validation;
    // false when a field failed (its message was shown and it has the focus).
    bool UpdateData(bool saveAndValidate = true);
    void EndDialog(int result);

    void AttachHost(IDialogHost* host) { m_pHost = host; }
    [[nodiscard]] IDialogHost* GetHost() const { return m_pHost; }

    // Control operations, forwarded to the host (no-ops without one).
    void SetDlgItemText(int id, std::string_view text);
    [[nodiscard]] std::string GetDlgItemText(int id) const;
    void CheckDlgButton(int id, int state);
    [[nodiscard]] int IsDlgButtonChecked(int id) const;
    void EnableDlgItem(int id, bool enable);
    [[nodiscard]] bool IsDlgItemEnabled(int id) const;
    void GotoDlgCtrl(int id);
    void Invalidate(bool erase = true);

  protected:
    // Exchanges the bound values with their controls; derived dialogs list their DDX_ calls here.
    virtual void DoDataExchange(CDataExchange& dx) { (void)dx; }

  private:
    int m_nTemplateId;
    void* m_pParent;
    IDialogHost* m_pHost = nullptr;
};

} // namespace polyvane
