#include "HeadlessDialogHost.h"

#include <algorithm>

namespace polyvane {

namespace {
// The base units of an 8-point dialog font at 96 dots per inch: 6 by 13 pixels.
CRect ClientRectOf(const DialogControl& c) {
    return CRect{0, 0, (c.cx * 6 + 2) / 4, (c.cy * 13 + 4) / 8};
}
} // namespace

HeadlessDialogHost::HeadlessDialogHost(const DialogTemplate& dialogTemplate) : m_template(&dialogTemplate) {
    int group = 0;
    for (const DialogControl& c : dialogTemplate.controls) {
        if (c.style & ControlStyle::Group || c.kind != ControlKind::RadioButton)
            ++group;
        HeadlessControl control;
        control.id = c.id;
        control.kind = c.kind;
        control.style = c.style;
        control.group = group;
        control.client = ClientRectOf(c);
        control.text = std::string(c.text);
        m_controls.push_back(std::move(control));
    }
}

HeadlessDialogHost::~HeadlessDialogHost() {
    if (m_pDialog && m_pDialog->GetHost() == this)
        m_pDialog->AttachHost(nullptr);
}

void HeadlessDialogHost::Open(CDialog& dialog) {
    m_pDialog = &dialog;
    dialog.AttachHost(this);
    dialog.OnInitDialog();
    if (!Ended())
        Repaint();
}

const HeadlessControl* HeadlessDialogHost::Control(int id) const {
    if (id == IDC_STATIC)
        return nullptr;
    auto it = std::find_if(m_controls.begin(), m_controls.end(), [id](const auto& c) { return c.id == id; });
    return it == m_controls.end() ? nullptr : &*it;
}

HeadlessControl* HeadlessDialogHost::Find(int id) {
    return const_cast<HeadlessControl*>(Control(id));
}

void HeadlessDialogHost::Repaint() {
    m_invalidated = false;
    ++m_repaints;
    if (m_pDialog)
        m_pDialog->OnPaint();
}

void HeadlessDialogHost::AfterAction() {
    if (!Ended() && m_invalidated)
        Repaint();
}

void HeadlessDialogHost::Click(int id) {
    HeadlessControl* c = Find(id);
    if (!c || !c->enabled || Ended() || !m_pDialog)
        return;
    switch (c->kind) {
    case ControlKind::CheckBox:
        c->check = c->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        break;
    case ControlKind::RadioButton:
        for (HeadlessControl& other : m_controls)
            if (other.kind == ControlKind::RadioButton && other.group == c->group)
                other.check = BST_UNCHECKED;
        c->check = BST_CHECKED;
        break;
    case ControlKind::DefPushButton:
    case ControlKind::PushButton:
        break;
    case ControlKind::Swatch:
    case ControlKind::Text:
        if (!(c->style & ControlStyle::Notify))
            return;
        break;
    default:
        return; // frames, edits, sliders and lists send no click
    }
    m_focus = id;
    m_pDialog->OnCmdMsg(static_cast<unsigned>(id), nullptr);
    AfterAction();
}

void HeadlessDialogHost::Type(int id, std::string_view text) {
    HeadlessControl* c = Find(id);
    if (c && c->enabled && !Ended() && c->kind == ControlKind::Edit) {
        c->text = std::string(text);
        m_focus = id;
        // Typing notifies the dialog, as the Qt host's edits do.
        if (m_pDialog) {
            m_pDialog->OnCmdMsg(static_cast<unsigned>(id), nullptr);
            AfterAction();
        }
    }
}

void HeadlessDialogHost::SelectLine(int id, int index) {
    HeadlessControl* c = Find(id);
    if (c && c->enabled && !Ended() && c->kind == ControlKind::ListBox)
        c->curSel = index >= 0 && index < static_cast<int>(c->lines.size()) ? index : -1;
}

void HeadlessDialogHost::DragSlider(int id, int position) {
    HeadlessControl* c = Find(id);
    if (!c || !c->enabled || Ended() || c->kind != ControlKind::Slider)
        return;
    const int before = c->sliderPos;
    c->sliderPos = std::clamp(position, c->sliderMin, std::max(c->sliderMin, c->sliderMax));
    // A moved thumb notifies the dialog, as the Qt host's sliders do.
    if (c->sliderPos != before && m_pDialog) {
        m_pDialog->OnCmdMsg(static_cast<unsigned>(id), nullptr);
        AfterAction();
    }
}

void HeadlessDialogHost::PressEscape() {
    if (Ended() || !m_pDialog)
        return;
    m_pDialog->OnCmdMsg(static_cast<unsigned>(IDCANCEL), nullptr);
    AfterAction();
}

ControlKind HeadlessDialogHost::KindOf(int id) const {
    const HeadlessControl* c = Control(id);
    return c ? c->kind : ControlKind::Text;
}

void HeadlessDialogHost::EnableControl(int id, bool enable) {
    if (HeadlessControl* c = Find(id)) {
        c->enabled = enable;
        if (!enable)
            c->fillRect.reset();
    }
}

bool HeadlessDialogHost::IsControlEnabled(int id) const {
    const HeadlessControl* c = Control(id);
    return c && c->enabled;
}

void HeadlessDialogHost::SetControlText(int id, std::string_view text) {
    if (HeadlessControl* c = Find(id))
        c->text = std::string(text);
}

std::string HeadlessDialogHost::GetControlText(int id) const {
    const HeadlessControl* c = Control(id);
    return c ? c->text : std::string();
}

void HeadlessDialogHost::SetCheck(int id, int state) {
    if (HeadlessControl* c = Find(id))
        c->check = state;
}

int HeadlessDialogHost::GetCheck(int id) const {
    const HeadlessControl* c = Control(id);
    return c ? c->check : BST_UNCHECKED;
}

void HeadlessDialogHost::Invalidate(bool erase) {
    (void)erase;
    m_invalidated = true;
}

CRect HeadlessDialogHost::GetControlClientRect(int id) const {
    const HeadlessControl* c = Control(id);
    return c ? c->client : CRect{};
}

void HeadlessDialogHost::FillSolidRect(int id, const CRect& rect, COLORREF colour) {
    HeadlessControl* c = Find(id);
    if (c && c->kind == ControlKind::Swatch) {
        c->fillRect = rect;
        c->fillColour = colour;
    }
}

void HeadlessDialogHost::SetSliderRange(int id, int minimum, int maximum, bool redraw) {
    (void)redraw;
    if (HeadlessControl* c = Find(id)) {
        c->sliderMin = minimum;
        c->sliderMax = maximum;
        c->sliderPos = std::clamp(c->sliderPos, minimum, std::max(minimum, maximum));
    }
}

void HeadlessDialogHost::SetSliderTickFrequency(int id, int frequency) {
    if (HeadlessControl* c = Find(id))
        c->tickFrequency = frequency;
}

void HeadlessDialogHost::SetSliderPos(int id, int position) {
    if (HeadlessControl* c = Find(id))
        c->sliderPos = std::clamp(position, c->sliderMin, std::max(c->sliderMin, c->sliderMax));
}

int HeadlessDialogHost::GetSliderPos(int id) const {
    const HeadlessControl* c = Control(id);
    return c ? c->sliderPos : 0;
}

int HeadlessDialogHost::ListAddString(int id, std::string_view text) {
    HeadlessControl* c = Find(id);
    if (!c || c->kind != ControlKind::ListBox)
        return -1;
    auto at = c->lines.end();
    if (c->style & ControlStyle::Sorted)
        at = std::upper_bound(c->lines.begin(), c->lines.end(), text,
                              [](std::string_view a, const std::string& b) { return ListBoxLineLess(a, b); });
    const int index = static_cast<int>(at - c->lines.begin());
    c->lines.insert(at, std::string(text));
    if (c->curSel >= index)
        ++c->curSel;
    return index;
}

int HeadlessDialogHost::ListGetCurSel(int id) const {
    const HeadlessControl* c = Control(id);
    return c ? c->curSel : -1;
}

std::string HeadlessDialogHost::ListGetText(int id, int index) const {
    const HeadlessControl* c = Control(id);
    if (!c || index < 0 || index >= static_cast<int>(c->lines.size()))
        return {};
    return c->lines[static_cast<std::size_t>(index)];
}

void HeadlessDialogHost::ListDeleteString(int id, int index) {
    HeadlessControl* c = Find(id);
    if (!c || index < 0 || index >= static_cast<int>(c->lines.size()))
        return;
    c->lines.erase(c->lines.begin() + index);
    if (c->curSel == index)
        c->curSel = -1;
    else if (c->curSel > index)
        --c->curSel;
}

int HeadlessDialogHost::ListGetCount(int id) const {
    const HeadlessControl* c = Control(id);
    return c ? static_cast<int>(c->lines.size()) : 0;
}

void HeadlessDialogHost::FocusControl(int id) {
    if (HasControl(id))
        m_focus = id;
}

void HeadlessDialogHost::EndDialog(int result) {
    if (!m_result)
        m_result = result;
}

int HeadlessDialogService::RunModal(CDialog& dialog) {
    const DialogTemplate* t = FindDialogTemplate(dialog.TemplateId());
    if (!t)
        return -1;
    m_opened.push_back(t->id);
    HeadlessDialogHost host(*t);
    host.Open(dialog);
    if (!host.Ended() && !m_scripts.empty()) {
        DialogScript script = std::move(m_scripts.front());
        m_scripts.pop_front();
        script(host);
    }
    host.PressEscape();
    const int result = host.Ended() ? host.Result() : IDCANCEL;
    dialog.AttachHost(nullptr);
    return result;
}

} // namespace polyvane
