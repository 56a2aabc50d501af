#include "render/qt/dialog_style.h"

#include <QKeyEvent>
#include <QPalette>
#include <QWidget>

#include "render/raster_surface.h"

namespace kumoito {

void ApplyDialogColors(QWidget& window, const QColor& background) {
  QPalette pal = window.palette();
  pal.setColor(QPalette::Window, background);
  pal.setColor(QPalette::WindowText, kDialogTextColor);
  window.setPalette(pal);
  window.setAutoFillBackground(true);
}

bool IsPlainEnter(const QKeyEvent& event) {
  const bool plain = event.modifiers() == Qt::NoModifier || event.modifiers() == Qt::KeypadModifier;
  return plain && (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter);
}

QImage ToQImage(const RasterSurface& surface) {
  return QImage(reinterpret_cast<const uchar*>(surface.Bits()), surface.Width(), surface.Height(),
                surface.BytesPerLine(), QImage::Format_RGB32)
      .copy();
}

}  // namespace kumoito
