#include "QtDialogHost.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSlider>

namespace polyvane {

namespace {

QString ToQt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
std::string FromQt(const QString& text) {
    return text.toUtf8().toStdString();
}

} // namespace

DialogUnits DialogUnits::ForFont(const QFont& font) {
    const QFontMetrics metrics(font);
    // The average width of the alphabet, rounded as the classic dialog manager rounds it.
    const int alphabet =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogUnits units;
    units.baseX = std::max(1, (alphabet / 26 + 1) / 2);
    units.baseY = std::max(1, metrics.height());
    return units;
}

QFont DialogFont(const DialogTemplate& dialogTemplate) {
    const QString family = ToQt(dialogTemplate.fontName);
    QFont font = QFontDatabase::hasFamily(family) ? QFont(family) : QApplication::font();
    font.setPointSize(dialogTemplate.fontPointSize);
    return font;
}

void QtSwatch::SetFill(const QRect& rect, const QColor& colour) {
    if (m_fill && m_fill->first == rect && m_fill->second == colour)
        return;
    m_fill = std::make_pair(rect, colour);
    update();
}

void QtSwatch::ClearFill() {
    if (!m_fill)
        return;
    m_fill.reset();
    update();
}

void QtSwatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_fill)
        painter.fillRect(m_fill->first, m_fill->second);
    painter.setPen(palette().color(QPalette::Disabled, QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void QtSwatch::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

QtDialogWindow::QtDialogWindow(QtDialogHost& host, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_host(host) {}

void QtDialogWindow::accept() {
    m_host.Command(IDOK);
}
void QtDialogWindow::reject() {
    m_host.Command(IDCANCEL);
}

void QtDialogWindow::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    m_host.PaintRequested();
}

void QtDialogWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (property("polyvaneForeground").toBool()) {
        raise();
        activateWindow();
    }
}

QtDialogHost::QtDialogHost(const DialogTemplate& dialogTemplate, QWidget* parent)
    : m_window(std::make_unique<QtDialogWindow>(*this, parent)) {
    Build(dialogTemplate);
}

QtDialogHost::~QtDialogHost() {
    if (m_pLogic && m_pLogic->GetHost() == this)
        m_pLogic->AttachHost(nullptr);
    // The widgets go with the window; nothing may call back into this host while they do.
    for (auto& [id, entry] : m_controls)
        if (entry.widget)
            entry.widget->disconnect();
    m_window.reset();
}

void QtDialogHost::Build(const DialogTemplate& t) {
    QtDialogWindow* window = m_window.get();
    window->setWindowTitle(ToQt(t.caption));
    window->setFont(DialogFont(t));
    window->setProperty("polyvaneForeground", (t.style & DialogStyle::SetForeground) != 0);
    m_units = DialogUnits::ForFont(window->font());
    window->setFixedSize(m_units.X(t.cx), m_units.Y(t.cy));

    QButtonGroup* radioGroup = nullptr;
    for (const DialogControl& c : t.controls) {
        const QString text = ToQt(c.text);
        QWidget* widget = nullptr;
        QButtonGroup* group = nullptr;
        if (c.kind != ControlKind::RadioButton || (c.style & ControlStyle::Group))
            radioGroup = nullptr;
        switch (c.kind) {
        case ControlKind::DefPushButton:
        case ControlKind::PushButton: {
            auto* button = new QPushButton(text, window);
            button->setAutoDefault(true);
            button->setDefault(c.kind == ControlKind::DefPushButton);
            widget = button;
            break;
        }
        case ControlKind::CheckBox:
            widget = new QCheckBox(text, window);
            break;
        case ControlKind::RadioButton: {
            auto* radio = new QRadioButton(text, window);
            // Radio buttons are siblings of every other control, so exclusivity comes from their
            // template group, not from their parent.
            radio->setAutoExclusive(false);
            if (!radioGroup) {
                radioGroup = new QButtonGroup(window);
                radioGroup->setExclusive(true);
            }
            radioGroup->addButton(radio);
            group = radioGroup;
            widget = radio;
            break;
        }
        case ControlKind::GroupBox:
            widget = new QGroupBox(text, window);
            break;
        case ControlKind::Text: {
            auto* label = new QLabel(text, window);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            widget = label;
            break;
        }
        case ControlKind::Swatch:
            widget = new QtSwatch(window);
            break;
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(text, window);
            if (c.style & ControlStyle::Number)
                edit->setValidator(
                    new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
            edit->setFrame((c.style & ControlStyle::Border) != 0);
            // Typing tells the dialog, as an edit's change notification does.
            QObject::connect(edit, &QLineEdit::textEdited, window, [this, id = c.id] { Command(id); });
            widget = edit;
            break;
        }
        case ControlKind::Slider: {
            auto* slider = new QSlider(Qt::Horizontal, window);
            slider->setRange(0, 100); // a track bar's range before anyone sets one
            slider->setTickPosition((c.style & ControlStyle::TicksBothSides) ? QSlider::TicksBothSides
                                                                             : QSlider::TicksBelow);
            slider->setTickInterval(1);
            // A moved thumb tells the dialog, as a track bar's scroll notification does.
            QObject::connect(slider, &QSlider::valueChanged, window, [this, id = c.id] { Command(id); });
            widget = slider;
            break;
        }
        case ControlKind::ListBox: {
            auto* list = new QListWidget(window);
            list->setVerticalScrollBarPolicy((c.style & ControlStyle::VScroll) ? Qt::ScrollBarAsNeeded
                                                                               : Qt::ScrollBarAlwaysOff);
            list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            if (!(c.style & ControlStyle::Border))
                list->setFrameShape(QFrame::NoFrame);
            widget = list;
            break;
        }
        }
        widget->setGeometry(m_units.Rect(c.x, c.y, c.cx, c.cy));
        widget->setObjectName(QStringLiteral("control%1").arg(c.id));
        const int id = c.id;
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            QObject::connect(button, &QAbstractButton::clicked, window, [this, id] { Command(id); });
        if (auto* swatch = qobject_cast<QtSwatch*>(widget)) {
            if (c.style & ControlStyle::Notify)
                QObject::connect(swatch, &QtSwatch::clicked, window, [this, id] { Command(id); });
        }
        if (id != IDC_STATIC)
            m_controls[id] = Entry{c.kind, c.style, widget, group};
    }
}

void QtDialogHost::Open(CDialog& dialog) {
    m_pLogic = &dialog;
    dialog.AttachHost(this);
    dialog.OnInitDialog();
}

int QtDialogHost::RunModal(CDialog& dialog) {
    Open(dialog);
    if (!m_result)
        m_window->exec();
    dialog.AttachHost(nullptr);
    return m_result.value_or(IDCANCEL);
}

void QtDialogHost::Command(int id) {
    if (m_pLogic && !m_result)
        m_pLogic->OnCmdMsg(static_cast<unsigned>(id), nullptr);
}

void QtDialogHost::PaintRequested() {
    // The refresh may change controls, which repaints them and the dialog under them; only a
    // requested repaint runs it, so that cannot loop.
    if (!m_bRefreshPending || m_bRefreshing || !m_pLogic)
        return;
    m_bRefreshPending = false;
    m_bRefreshing = true;
    m_pLogic->OnPaint();
    m_bRefreshing = false;
}

const QtDialogHost::Entry* QtDialogHost::Find(int id) const {
    auto it = m_controls.find(id);
    return it == m_controls.end() || !it->second.widget ? nullptr : &it->second;
}

QWidget* QtDialogHost::Control(int id) const {
    const Entry* e = Find(id);
    return e ? e->widget.data() : nullptr;
}

ControlKind QtDialogHost::KindOf(int id) const {
    const Entry* e = Find(id);
    return e ? e->kind : ControlKind::Text;
}

void QtDialogHost::EnableControl(int id, bool enable) {
    QWidget* w = Control(id);
    if (!w)
        return;
    if (w->isEnabled() != enable)
        w->setEnabled(enable);
    if (auto* swatch = qobject_cast<QtSwatch*>(w); swatch && !enable)
        swatch->ClearFill();
}

bool QtDialogHost::IsControlEnabled(int id) const {
    QWidget* w = Control(id);
    return w && w->isEnabled();
}

void QtDialogHost::SetControlText(int id, std::string_view text) {
    QWidget* w = Control(id);
    const QString value = ToQt(text);
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        if (button->text() != value)
            button->setText(value);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->text() != value)
            label->setText(value);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->text() != value)
            edit->setText(value);
    } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
        if (box->title() != value)
            box->setTitle(value);
    } else if (w && w->windowTitle() != value) {
        w->setWindowTitle(value);
    }
}

std::string QtDialogHost::GetControlText(int id) const {
    QWidget* w = Control(id);
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return FromQt(button->text());
    if (auto* label = qobject_cast<QLabel*>(w))
        return FromQt(label->text());
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return FromQt(edit->text());
    if (auto* box = qobject_cast<QGroupBox*>(w))
        return FromQt(box->title());
    return w ? FromQt(w->windowTitle()) : std::string();
}

void QtDialogHost::SetCheck(int id, int state) {
    const Entry* e = Find(id);
    auto* button = e ? qobject_cast<QAbstractButton*>(e->widget.data()) : nullptr;
    if (!button || !button->isCheckable())
        return;
    const bool checked = state == BST_CHECKED;
    if (button->isChecked() == checked)
        return;
    // An exclusive group will not let its checked button go; a radio group may show none checked.
    if (!checked && e->group) {
        e->group->setExclusive(false);
        button->setChecked(false);
        e->group->setExclusive(true);
    } else {
        button->setChecked(checked);
    }
}

int QtDialogHost::GetCheck(int id) const {
    auto* button = qobject_cast<QAbstractButton*>(Control(id));
    return button && button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void QtDialogHost::Invalidate(bool erase) {
    (void)erase; // the window's background is always drawn before the refresh
    m_bRefreshPending = true;
    m_window->update();
}

CRect QtDialogHost::GetControlClientRect(int id) const {
    QWidget* w = Control(id);
    return w ? CRect{0, 0, w->width(), w->height()} : CRect{};
}

void QtDialogHost::FillSolidRect(int id, const CRect& rect, COLORREF colour) {
    if (auto* swatch = qobject_cast<QtSwatch*>(Control(id)))
        swatch->SetFill(QRect(rect.left, rect.top, rect.Width(), rect.Height()),
                        QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour)));
}

void QtDialogHost::SetSliderRange(int id, int minimum, int maximum, bool redraw) {
    (void)redraw;
    if (auto* slider = qobject_cast<QSlider*>(Control(id)))
        slider->setRange(minimum, std::max(minimum, maximum));
}

void QtDialogHost::SetSliderTickFrequency(int id, int frequency) {
    if (auto* slider = qobject_cast<QSlider*>(Control(id)))
        slider->setTickInterval(std::max(0, frequency));
}

void QtDialogHost::SetSliderPos(int id, int position) {
    if (auto* slider = qobject_cast<QSlider*>(Control(id)))
        slider->setValue(position);
}

int QtDialogHost::GetSliderPos(int id) const {
    auto* slider = qobject_cast<QSlider*>(Control(id));
    return slider ? slider->value() : 0;
}

int QtDialogHost::ListAddString(int id, std::string_view text) {
    auto* list = qobject_cast<QListWidget*>(Control(id));
    if (!list)
        return -1;
    int index = list->count();
    if (Find(id)->style & ControlStyle::Sorted) {
        index = 0;
        while (index < list->count() && !ListBoxLineLess(text, FromQt(list->item(index)->text())))
            ++index;
    }
    list->insertItem(index, ToQt(text));
    return index;
}

int QtDialogHost::ListGetCurSel(int id) const {
    auto* list = qobject_cast<QListWidget*>(Control(id));
    if (!list)
        return -1;
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.front());
}

std::string QtDialogHost::ListGetText(int id, int index) const {
    auto* list = qobject_cast<QListWidget*>(Control(id));
    QListWidgetItem* item = list ? list->item(index) : nullptr;
    return item ? FromQt(item->text()) : std::string();
}

void QtDialogHost::ListDeleteString(int id, int index) {
    auto* list = qobject_cast<QListWidget*>(Control(id));
    if (!list || index < 0 || index >= list->count())
        return;
    delete list->takeItem(index);
    // Qt moves the selection to the next line; a list box leaves none.
    list->setCurrentItem(nullptr);
    list->clearSelection();
}

int QtDialogHost::ListGetCount(int id) const {
    auto* list = qobject_cast<QListWidget*>(Control(id));
    return list ? list->count() : 0;
}

void QtDialogHost::FocusControl(int id) {
    QWidget* w = Control(id);
    if (!w)
        return;
    w->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->selectAll();
}

void QtDialogHost::EndDialog(int result) {
    if (m_result)
        return;
    m_result = result;
    m_window->QDialog::done(result);
}

} // namespace polyvane
