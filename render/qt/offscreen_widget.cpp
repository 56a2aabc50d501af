#include "render/qt/offscreen_widget.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

namespace kumoito {

OffScreenWidget::OffScreenWidget(COffScreenControl& control, QWidget* parent)
    : QWidget(parent), m_control(control) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  m_control.m_onScreenChanged = [this] { update(); };
  m_control.m_onGeometryChanged = [this] { FollowGeometry(); };
  setEnabled(m_control.IsEnabled());
  FollowGeometry();
}

OffScreenWidget::~OffScreenWidget() {
  m_control.m_onScreenChanged = nullptr;
  m_control.m_onGeometryChanged = nullptr;
}

void OffScreenWidget::SetControlEnabled(bool enabled) {
  m_control.SetEnabled(enabled);
  setEnabled(enabled);
}

void OffScreenWidget::FollowGeometry() {
  const Rect& r = m_control.Geometry();
  setGeometry(r.left, r.top, r.Width(), r.Height());
  raise();
}

void OffScreenWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const auto& screen = m_control.Screen();
  if (!screen) {
    painter.fillRect(rect(), palette().window());
    return;
  }
  QImage image(reinterpret_cast<const uchar*>(screen->Bits()), screen->Width(), screen->Height(),
               screen->BytesPerLine(), QImage::Format_RGB32);
  // A picture drawn at the screen's pixel ratio says so, and Qt then puts
  // its pixels on the screen's pixels without scaling them.
  const int layoutWidth = m_control.Geometry().Width();
  if (layoutWidth > 0 && screen->Width() != layoutWidth) {
    image.setDevicePixelRatio(static_cast<double>(screen->Width()) / layoutWidth);
  }
  painter.drawImage(0, 0, image);
}

void OffScreenWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    const QPoint p = event->position().toPoint();
    m_control.OnLeftButtonDown(p.x(), p.y());
  }
}

void OffScreenWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    return;
  }
  // The window system keeps sending a pressed widget the mouse; a release
  // outside it is, for the control, the mouse having left while pressed.
  const QPoint p = event->position().toPoint();
  if (rect().contains(p)) {
    m_control.OnLeftButtonUp(p.x(), p.y());
  } else {
    m_control.OnMouseLeave();
  }
}

void OffScreenWidget::mouseMoveEvent(QMouseEvent* event) {
  if (m_control.m_pressed == 1 && !rect().contains(event->position().toPoint())) {
    m_control.OnMouseLeave();
  }
}

void OffScreenWidget::leaveEvent(QEvent*) {
  m_control.OnMouseLeave();
}

}  // namespace kumoito
