#include "ViewWidget.h"

#include "ViewFactory.h"

#include <QMouseEvent>
#include <QPainter>

namespace polyvane {

ViewWidget::ViewWidget(std::unique_ptr<CView> view, int controlId, IFrameHost* frame, QWidget* parent)
    : QWidget(parent), m_view(std::move(view)), m_controlId(controlId), m_frame(frame) {
    // The background every paint starts from: views draw on an erased white window.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::ClickFocus);
    m_view->SetHost(this);
}

ViewWidget::~ViewWidget() {
    // The view goes first, while this host is still whole.
    m_view.reset();
}

CRect ViewWidget::GetClientRect() const {
    return CRect{0, 0, width(), height()};
}

void ViewWidget::Invalidate(bool) {
    update();
}

// While a button is held Qt sends every move to the pressed widget, which is the capture a view asks
// for; the flag says whether the view holds it.
void ViewWidget::SetCapture() {
    m_capture = true;
}
void ViewWidget::ReleaseCapture() {
    m_capture = false;
}
bool ViewWidget::HasCapture() const {
    return m_capture;
}

void ViewWidget::SetWindowText(const std::string& text) {
    setWindowTitle(QString::fromStdString(text));
}

unsigned ViewWidget::KeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    unsigned flags = 0;
    if (buttons & Qt::LeftButton)
        flags |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        flags |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        flags |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier)
        flags |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        flags |= MK_CONTROL;
    return flags;
}

namespace {
CPoint ClientPoint(const QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    return CPoint{p.x(), p.y()};
}
} // namespace

void ViewWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintView(*m_view, painter);
}

void ViewWidget::mousePressEvent(QMouseEvent* event) {
    const unsigned flags = KeyFlags(event->buttons(), event->modifiers());
    if (event->button() == Qt::LeftButton)
        m_view->OnLButtonDown(flags, ClientPoint(event));
    else if (event->button() == Qt::RightButton)
        m_view->OnRButtonDown(flags, ClientPoint(event));
    else
        QWidget::mousePressEvent(event);
}

void ViewWidget::mouseReleaseEvent(QMouseEvent* event) {
    const unsigned flags = KeyFlags(event->buttons(), event->modifiers());
    if (event->button() == Qt::LeftButton)
        m_view->OnLButtonUp(flags, ClientPoint(event));
    else if (event->button() == Qt::RightButton)
        m_view->OnRButtonUp(flags, ClientPoint(event));
    else
        return QWidget::mouseReleaseEvent(event);
    emit inputHandled();
}

void ViewWidget::mouseMoveEvent(QMouseEvent* event) {
    m_view->OnMouseMove(KeyFlags(event->buttons(), event->modifiers()), ClientPoint(event));
}

// Another window took the input: the capture is gone, as it is when another window captures.
void ViewWidget::focusOutEvent(QFocusEvent* event) {
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        m_capture = false;
    QWidget::focusOutEvent(event);
}

} // namespace polyvane
