#pragma once
// What every window of the program shares on screen: its colours, the
// window system's handling of Enter, and our pictures as Qt images.
//
// Thread-safety: GUI thread only.

#include <QColor>
#include <QDialog>
#include <QImage>

class QKeyEvent;
class QWidget;

namespace kumoito {

class RasterSurface;

inline const QColor kDialogBackgroundColor(194, 194, 200);
inline const QColor kInputToolBackgroundColor(255, 200, 200);
inline const QColor kDialogTextColor(64, 127, 64);

// Paints the window's own background in background and its labels in the
// dialogs' green.
void ApplyDialogColors(QWidget& window, const QColor& background);

// The base of the program's dialogs. None of them has a push button, yet
// Enter ends each as a default OK button would, as Escape ends it as Cancel.
class KumoitoDialog : public QDialog {
  Q_OBJECT
 public:
  using QDialog::QDialog;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

// A copy of a surface's pixels.
QImage ToQImage(const RasterSurface& surface);

// The program's icon with its corners see-through: our pictures have no
// alpha, and the icon's corners are the only pure white in it. Drawn at
// scale times the pixels, and saying so as its device pixel ratio.
QImage AppIconImage(double scale = 1.0);

}  // namespace kumoito
