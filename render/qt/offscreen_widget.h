#pragma once
// OffScreenWidget: puts a COffScreenControl on screen. It paints the picture
// last presented to the control and forwards the left button and the mouse
// leaving to it; everything else is the control's logic.
//
// Thread-safety: GUI thread only.

#include <QWidget>

#include "render/offscreen_control.h"

namespace kumoito {

class OffScreenWidget : public QWidget {
  Q_OBJECT
 public:
  // The control must outlive the widget.
  OffScreenWidget(COffScreenControl& control, QWidget* parent);
  ~OffScreenWidget() override;

  COffScreenControl& Control() { return m_control; }
  // Enables both the widget (input) and the control (caption colour).
  void SetControlEnabled(bool enabled);
  // The window's zoom: the widget sits on the control's 1x rectangle mapped
  // by the edge rule, and mouse positions are mapped back to the control's
  // 1x pixels. 1 by default.
  void SetZoom(double zoom);
  // Window pixels the widget sits from its zoomed place (a grown window
  // moves the rows below the score); mouse positions are unaffected.
  void SetOffset(int dx, int dy);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void FollowGeometry();
  // A position in the widget as the control's 1x pixel.
  QPoint ToControl(const QPoint& p) const;

  COffScreenControl& m_control;
  double m_zoom = 1.0;
  int m_dx = 0;
  int m_dy = 0;
};

}  // namespace kumoito
