#include "render/qt/dialog_style.h"

#include <QKeyEvent>
#include <QPalette>
#include <QWidget>

#include "render/button_picture.h"
#include "render/raster_surface.h"

namespace kumoito {

void ApplyDialogColors(QWidget& window, const QColor& background) {
  QPalette pal = window.palette();
  pal.setColor(QPalette::Window, background);
  pal.setColor(QPalette::WindowText, kDialogTextColor);
  window.setPalette(pal);
  window.setAutoFillBackground(true);
}

void KumoitoDialog::keyPressEvent(QKeyEvent* event) {
  // Enter or Return without modifiers (the keypad's counts).
  const bool plain =
      event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
  if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
    accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

QImage ToQImage(const RasterSurface& surface) {
  return QImage(reinterpret_cast<const uchar*>(surface.Bits()), surface.Width(), surface.Height(),
                surface.BytesPerLine(), QImage::Format_RGB32)
      .copy();
}

QImage AppIconImage(double scale) {
  QImage image =
      ToQImage(LoadBitmapResource(kAppIconId, scale)).convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if ((row[x] & 0x00FFFFFFu) == 0x00FFFFFFu) {
        row[x] = 0;
      }
    }
  }
  if (scale != 1.0) {
    image.setDevicePixelRatio(scale);
  }
  return image;
}

}  // namespace kumoito
