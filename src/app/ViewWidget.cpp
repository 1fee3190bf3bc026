#include "ViewWidget.h"

#include "ViewFactory.h"

#include <QMainWindow>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>

namespace polyvane {

ViewWidget::ViewWidget(std::unique_ptr<CView> view, int controlId, IFrameHost* frame, QWidget* parent)
    : QWidget(parent), m_view(std::move(view)), m_controlId(controlId), m_frame(frame),
      m_hbar(new QScrollBar(Qt::Horizontal, this)), m_vbar(new QScrollBar(Qt::Vertical, this)) {
    m_hbar->hide();
    m_vbar->hide();
    // The bars take no keyboard focus from the view, and a scroll repaints the view.
    m_hbar->setFocusPolicy(Qt::NoFocus);
    m_vbar->setFocusPolicy(Qt::NoFocus);
    connect(m_hbar, &QScrollBar::valueChanged, this, [this] { update(); });
    connect(m_vbar, &QScrollBar::valueChanged, this, [this] { update(); });
    // The background every paint starts from: views draw on an erased white window.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::ClickFocus);
    // Views read the mouse without a button too (the frame-buffer readout).
    setMouseTracking(true);
    m_view->SetHost(this);
}

ViewWidget::~ViewWidget() {
    // The view goes first, while this host is still whole.
    m_view.reset();
}

CRect ViewWidget::GetClientRect() const {
    const int w = width() - (m_vbar->isVisibleTo(this) ? m_vbar->sizeHint().width() : 0);
    const int h = height() - (m_hbar->isVisibleTo(this) ? m_hbar->sizeHint().height() : 0);
    return CRect{0, 0, std::max(w, 0), std::max(h, 0)};
}

void ViewWidget::SetScrollSizes(CSize total) {
    total.cx = std::max(total.cx, 0);
    total.cy = std::max(total.cy, 0);
    if (total.cx == m_total.cx && total.cy == m_total.cy)
        return;
    m_total = total;
    LayOutScrollBars();
}

CPoint ViewWidget::GetScrollPosition() const {
    return CPoint{m_hbar->isVisibleTo(this) ? m_hbar->value() : 0,
                  m_vbar->isVisibleTo(this) ? m_vbar->value() : 0};
}

void ViewWidget::LayOutScrollBars() {
    const int barW = m_vbar->sizeHint().width();
    const int barH = m_hbar->sizeHint().height();
    // A bar takes room from the other direction, which may then need its own bar as well.
    bool needH = m_total.cx > width();
    bool needV = m_total.cy > height();
    needH = m_total.cx > width() - (needV ? barW : 0);
    needV = m_total.cy > height() - (needH ? barH : 0);
    const int clientW = std::max(width() - (needV ? barW : 0), 0);
    const int clientH = std::max(height() - (needH ? barH : 0), 0);

    m_hbar->setRange(0, std::max(m_total.cx - clientW, 0));
    m_hbar->setPageStep(std::max(clientW, 1));
    m_hbar->setSingleStep(std::max(clientW / 10, 1));
    m_vbar->setRange(0, std::max(m_total.cy - clientH, 0));
    m_vbar->setPageStep(std::max(clientH, 1));
    m_vbar->setSingleStep(std::max(clientH / 10, 1));
    m_hbar->setGeometry(0, clientH, clientW, barH);
    m_vbar->setGeometry(clientW, 0, barW, clientH);
    m_hbar->setVisible(needH);
    m_vbar->setVisible(needV);
    update();
}

// The frame is resized once the current paint or start-up is over, so that the view's client area
// matches its total size; the frame's own borders stay as they are.
void ViewWidget::ResizeParentToFit(bool shrinkOnly) {
    m_fitShrinkOnly = shrinkOnly;
    if (m_fitPending)
        return;
    m_fitPending = true;
    QTimer::singleShot(0, this, [this] { FitParent(); });
}

void ViewWidget::FitParent() {
    m_fitPending = false;
    if (m_total.cx <= 0 || m_total.cy <= 0 ||
        (m_total.cx == m_fittedTotal.cx && m_total.cy == m_fittedTotal.cy))
        return;
    QWidget* frame = parentWidget();
    while (frame && !qobject_cast<QMdiSubWindow*>(frame))
        frame = frame->parentWidget();
    if (!frame || frame->isMaximized() || frame->isMinimized())
        return;
    m_fittedTotal = m_total;
    int dx = m_total.cx - width();
    int dy = m_total.cy - height();
    if (m_fitShrinkOnly) {
        dx = std::min(dx, 0);
        dy = std::min(dy, 0);
    }
    if (dx != 0 || dy != 0)
        frame->resize(frame->width() + dx, frame->height() + dy);
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

void ViewWidget::SetStatusText(const std::string& text) {
    if (auto* frame = qobject_cast<QMainWindow*>(window()))
        frame->statusBar()->showMessage(QString::fromStdString(text));
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

void ViewWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOutScrollBars();
}

// The wheel scrolls vertically; a sideways wheel, or the wheel with Shift, scrolls horizontally.
void ViewWidget::wheelEvent(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    const bool sideways = delta.y() == 0 || (event->modifiers() & Qt::ShiftModifier);
    QScrollBar* bar = sideways ? m_hbar : m_vbar;
    const int steps = delta.y() != 0 ? delta.y() : delta.x();
    if (!bar->isVisibleTo(this) || steps == 0) {
        QWidget::wheelEvent(event);
        return;
    }
    bar->setValue(bar->value() - steps * bar->singleStep() * 3 / 120);
    event->accept();
}

// Another window took the input: the capture is gone, as it is when another window captures.
void ViewWidget::focusOutEvent(QFocusEvent* event) {
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        m_capture = false;
    QWidget::focusOutEvent(event);
}

} // namespace polyvane
