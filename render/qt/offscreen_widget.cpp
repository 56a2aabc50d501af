#include "render/qt/offscreen_widget.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "render/scaled_canvas.h"

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

void OffScreenWidget::SetZoom(double zoom) {
  const double z = zoom > 0 ? zoom : 1.0;
  if (z != m_zoom) {
    m_zoom = z;
    FollowGeometry();
  }
}

void OffScreenWidget::SetOffset(int dx, int dy) {
  if (dx != m_dx || dy != m_dy) {
    m_dx = dx;
    m_dy = dy;
    FollowGeometry();
  }
}

void OffScreenWidget::FollowGeometry() {
  const Rect r = ScaleRect(m_control.Geometry(), m_zoom);
  setGeometry(r.left + m_dx, r.top + m_dy, r.Width(), r.Height());
  raise();
}

QPoint OffScreenWidget::ToControl(const QPoint& p) const {
  if (m_zoom == 1.0) {
    return p;
  }
  const Rect& r = m_control.Geometry();
  return QPoint(UnscaleEdge(ScaleEdge(r.left, m_zoom) + p.x(), m_zoom) - r.left,
                UnscaleEdge(ScaleEdge(r.top, m_zoom) + p.y(), m_zoom) - r.top);
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
  // its pixels on the screen's pixels without scaling them. Rounded edges
  // may leave it a device pixel off the widget's size: it still goes on
  // unscaled, and the background fills a pixel it leaves uncovered. A
  // picture drawn for another ratio (or at 1x) is scaled to the widget.
  const double ratio = devicePixelRatioF();
  double pictureRatio = ratio;
  if (width() > 0 && std::abs(screen->Width() - width() * ratio) > 1.5) {
    pictureRatio = static_cast<double>(screen->Width()) / width();
  }
  if (pictureRatio != 1.0) {
    image.setDevicePixelRatio(pictureRatio);
  }
  if (screen->Width() < width() * pictureRatio - 0.5 ||
      screen->Height() < height() * pictureRatio - 0.5) {
    painter.fillRect(rect(), palette().window());
  }
  painter.drawImage(0, 0, image);
}

void OffScreenWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    const QPoint p = ToControl(event->position().toPoint());
    m_control.OnLeftButtonDown(p.x(), p.y());
  }
}

void OffScreenWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    return;
  }
  // The window system keeps sending a pressed widget the mouse; a release
  // outside it is, for the control, the mouse having left while pressed.
  const QPoint at = event->position().toPoint();
  if (rect().contains(at)) {
    const QPoint p = ToControl(at);
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
