#include "PreviewWindow.h"

#include <QPainter>
#include <QScreen>

namespace polyvane {

PreviewWindow::PreviewWindow(QScreen* screen) : QWidget(nullptr, Qt::FramelessWindowHint) {
    setObjectName(kObjectName);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setCursor(Qt::BlankCursor);
    setFocusPolicy(Qt::StrongFocus);
    if (screen) {
        setScreen(screen);
        setGeometry(screen->geometry());
    }
}

void PreviewWindow::Present(const QImage* page) {
    m_page = page;
    repaint();
}

QRect PreviewWindow::PageRect() const {
    if (!m_page || m_page->isNull())
        return {};
    QSize scaled = m_page->size().scaled(size(), Qt::KeepAspectRatio);
    return QRect(QPoint((width() - scaled.width()) / 2, (height() - scaled.height()) / 2), scaled);
}

// The preview owns the display: every key and click comes here, whichever window had the focus.
void PreviewWindow::showEvent(QShowEvent*) {
    grabKeyboard();
    grabMouse();
}

void PreviewWindow::hideEvent(QHideEvent*) {
    releaseMouse();
    releaseKeyboard();
}

void PreviewWindow::keyPressEvent(QKeyEvent*) {
    m_bInput = true;
}

void PreviewWindow::mousePressEvent(QMouseEvent*) {
    m_bInput = true;
}

void PreviewWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (m_page && !m_page->isNull())
        painter.drawImage(PageRect(), *m_page);
}

} // namespace polyvane
