#include "app/qt/main_window_widget.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <functional>

#include "app/dialog_folder.h"
#include "app/output_format.h"
#include "app/qt/about_dialog.h"
#include "app/qt/help_window.h"
#include "app/qt/score_keys.h"
#include "app/qt/new_song_dialog.h"
#include "app/qt/settings_dialog.h"
#include "app/qt/tuner_dialog.h"
#include "app/window_placement.h"
#include "app/window_texts.h"
#include "common/file_util.h"
#include "common/ui_text.h"
#include "input/qt/input_tool_window.h"
#include "input/qt/song_info_dialog.h"
#include "library/qt/library_dialog.h"
#include "midi/midi_in_alsa.h"
#include "midi/timer_service.h"
#include "render/qt/dialog_style.h"
#include "render/qt/offscreen_widget.h"
#include "render/scaled_canvas.h"
#include "render/score_view.h"

namespace kumoito {
namespace {

QString FromUtf8(const std::string& s) {
  return QString::fromStdString(s);
}

// What the open command offers; the first entry is everything we read.
constexpr const char* kOpenFilters[] = {
    Ui::Mark(
        "対応する全ての形式 (*.mwd *.musicxml *.xml *.mxl *.mid *.midi *.kar *.wav *.flac *.ogg)"),
    Ui::Mark("譜面ファイル (*.mwd)"),
    "MusicXML (*.musicxml *.xml *.mxl)",
    Ui::Mark("MIDI ファイル (*.mid *.midi *.kar)"),
    Ui::Mark("録音 (*.wav *.flac *.ogg)"),
};
constexpr const char* kScoreFilter = Ui::Mark("譜面ファイル (*.mwd)");

QStringList OpenFilters() {
  QStringList filters;
  for (const char* filter : kOpenFilters) {
    filters << FromUtf8(Ui::Translate(filter));
  }
  return filters;
}

// The thin frame around the slot the input tool writes. It lies over the
// score cells and lets every click through to them.
class EditMarkWidget final : public QWidget {
 public:
  explicit EditMarkWidget(QWidget* parent) : QWidget(parent) {
    setObjectName("editMark");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const int width = std::max(1, height() / 40);
    painter.setPen(QPen(QColor(32, 96, 224), width));
    const int inset = width / 2;
    painter.drawRect(rect().adjusted(inset, inset, -inset - 1, -inset - 1));
  }
};

// The number of the measure that starts a row, in the corner the row's first
// cell leaves empty. A click sets the loop's start, Shift+click its end.
class RowNumberLabel final : public QLabel {
 public:
  RowNumberLabel(int row, std::function<void(int, bool)> onClick, QWidget* parent)
      : QLabel(parent), m_row(row), m_onClick(std::move(onClick)) {
    setObjectName(QString("rowNumber%1").arg(row));
    setAttribute(Qt::WA_TranslucentBackground);
    setCursor(Qt::PointingHandCursor);
    setToolTip(FromUtf8(Ui::Tr("クリック: 開始小節、Shift+クリック: 終了小節")));
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) {
      m_onClick(m_row, (event->modifiers() & Qt::ShiftModifier) != 0);
      event->accept();
      return;
    }
    QLabel::mousePressEvent(event);
  }

 private:
  int m_row;
  std::function<void(int, bool)> m_onClick;
};

// The corner of a row's first cell that no kandokoro reaches: the window's
// left margin and the cell's first twelve pixels, above its third string.
constexpr int kRowNumberWidth = 22;
constexpr int kRowNumberHeight = 11;
constexpr int kRowNumberFontPixels = 9;

// Keys the history takes from a number box, whose own text undo is of no use.
bool IsHistoryKey(const QKeyEvent& key) {
  const QKeySequence pressed(key.keyCombination());
  return pressed == QKeySequence(Qt::CTRL | Qt::Key_Z) ||
         pressed == QKeySequence(Qt::CTRL | Qt::Key_Y) ||
         pressed == QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
}

}  // namespace

KumoitoWindow::KumoitoWindow(CKumoitoDlg::Options options, QWidget* parent)
    : KumoitoDialog(parent) {
  setWindowTitle("Kumoito");
  setMinimumSize(kClientWidth, kClientHeight);
  resize(kClientWidth, kClientHeight);
  // A dialog offers no maximise box of its own.
  setWindowFlag(Qt::WindowMaximizeButtonHint, true);
  setObjectName("102");
  ApplyDialogColors(*this, kDialogBackgroundColor);
  QIcon icon(QPixmap::fromImage(AppIconImage()));
  icon.addPixmap(QPixmap::fromImage(AppIconImage(2.0)));
  setWindowIcon(icon);
  setAcceptDrops(true);
  m_zoom.Load(options.dataFolder.empty() ? std::string()
                                         : JoinPath(options.dataFolder, kZoomFileName));
  m_dataFolder = options.dataFolder;
  const std::optional<KeptWindowSize> kept =
      m_dataFolder.empty() ? std::nullopt
                           : LoadWindowSize(WindowSizePath(), kClientWidth, kClientHeight);

  m_timer = std::make_unique<midi::RealTimerService>();
  options.timer = m_timer.get();
  m_logic = std::make_unique<CKumoitoDlg>(*this, std::move(options));

  // The cells, their numbers and the edit mark scroll sideways inside the
  // score area when zoomed rows are wider than it; at 100 % it lies on the
  // window's corner and shows them where they always were.
  m_scoreArea = new QScrollArea(this);
  m_scoreArea->setObjectName("scoreArea");
  m_scoreArea->setFrameShape(QFrame::NoFrame);
  m_scoreArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_scoreContent = CreateScoreKeys();
  m_scoreContent->setObjectName("scoreContent");
  m_scoreArea->setWidget(m_scoreContent);
  m_scoreArea->viewport()->installEventFilter(this);

  auto addControl = [this](int number, QWidget* parent) {
    auto* w = new OffScreenWidget(m_logic->Control(number), parent);
    w->setObjectName(QString::number(number));
    m_controlWidgets[number] = w;
  };
  for (const ButtonLayout& button : kMainButtons) {
    addControl(button.control, this);
  }
  addControl(kExportLayerControl, this);
  // The export's layer is only a drawing surface; it is never seen.
  m_controlWidgets[kExportLayerControl]->hide();

  auto addLabel = [this](const char* text, int x) {
    auto* label = new QLabel(FromUtf8(Ui::Translate(text)), this);
    Place(label, Rect{x, 624, x + 90, 642});
  };
  addLabel(Ui::Mark("調子"), 10);
  addLabel(Ui::Mark("一の糸"), 110);
  addLabel(Ui::Mark("調"), 210);
  auto addCombo = [this](int number, int x) {
    auto* combo = new QComboBox(this);
    combo->setObjectName(QString::number(number));
    Place(combo, Rect{x, 644, x + 90, 670});
    return combo;
  };
  m_tuning = addCombo(kTuningCombo, 10);
  m_firstString = addCombo(kFirstStringCombo, 110);
  m_key = addCombo(kKeyCombo, 210);
  connect(m_tuning, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (!m_filling) {
      m_logic->OnTuningChanged(i);
    }
  });
  connect(m_firstString, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (!m_filling) {
      m_logic->OnFirstStringChanged(i);
    }
  });
  connect(m_key, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (!m_filling) {
      m_logic->OnKeyChanged(i);
    }
  });

  m_scrollBar = new QScrollBar(Qt::Vertical, this);
  m_scrollBar->setObjectName(QString::number(kScrollBarControl));
  Place(m_scrollBar, Rect{1040, 10, 1057, 620}, WindowAnchor::kRightEdge);
  m_scrollBar->setRange(0, 0);
  m_scrollBar->setPageStep(6);
  m_scrollBar->setTracking(false);
  connect(m_scrollBar, &QScrollBar::actionTriggered, this, &KumoitoWindow::OnScrollAction);
  connect(m_scrollBar, &QScrollBar::sliderReleased, this, [this] {
    m_logic->OnScroll(ScrollAction::kThumbPosition, m_scrollBar->sliderPosition());
  });
  CreatePracticeRow();
  m_keyboardNote = new QLabel(this);
  m_keyboardNote->setObjectName("keyboardNote");
  Place(m_keyboardNote, Rect{10, 672, 355, 690});
  FollowCellCount();
  m_editMark = new EditMarkWidget(m_scoreContent);
  m_editMark->hide();
  AddHistoryKeys(this);
  AddNewSongKey();
  auto* toolKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_I), this);
  toolKey->setContext(Qt::WindowShortcut);
  connect(toolKey, &QShortcut::activated, this, &KumoitoWindow::ShowInputTool);

  ApplyZoom();
  if (kept) {
    resize(std::max(kept->width, width()), std::max(kept->height, height()));
    if (kept->maximized) {
      setWindowState(windowState() | Qt::WindowMaximized);
    }
  }
}

void KumoitoWindow::Place(QWidget* widget, const Rect& r) {
  Place(widget, r, AnchorOf(r, kScoreAreaBottom));
}

void KumoitoWindow::Place(QWidget* widget, const Rect& r, WindowAnchor anchor) {
  m_placed.push_back({widget, r, anchor});
  const Rect at = FollowGrowth(r, anchor, width() - kClientWidth, height() - kClientHeight);
  widget->setGeometry(at.left, at.top, at.Width(), at.Height());
}

void KumoitoWindow::FollowCellCount() {
  const int count = m_logic->CellControlCount();
  bool added = false;
  for (int i = static_cast<int>(m_cellWidgets.size()); i < count; ++i) {
    const int number = CellControlNumber(i);
    auto* w = new OffScreenWidget(m_logic->Control(number), m_scoreContent);
    w->setObjectName(QString::number(number));
    w->SetZoom(m_zoom.Factor());
    m_controlWidgets[number] = w;
    m_cellWidgets.push_back(w);
    added = true;
  }
  const int inUse = m_logic->VisibleRows() * kScoreCellColumns;
  for (int i = 0; i < count; ++i) {
    // A cell out of use keeps a stale picture; it must not be seen.
    m_cellWidgets[static_cast<std::size_t>(i)]->setVisible(i < inUse);
  }
  for (int row = static_cast<int>(m_rowNumbers.size()); row < count / kScoreCellColumns; ++row) {
    auto* label = new RowNumberLabel(
        row, [this](int r, bool last) { m_logic->OnRowNumberClick(r, last); }, m_scoreContent);
    label->hide();
    m_rowNumbers.push_back(label);
  }
  if (added) {
    ShowRowNumbers(m_logic->RowNumbers());
  }
}

void KumoitoWindow::ShowRowNumbers(const std::vector<int>& firstMeasures) {
  for (std::size_t row = 0; row < m_rowNumbers.size(); ++row) {
    QLabel* label = m_rowNumbers[row];
    const int measure = row < firstMeasures.size() ? firstMeasures[row] : 0;
    const QString text = measure > 0 ? QString::number(measure) : QString();
    if (label->text() != text) {
      label->setText(text);
    }
    label->setVisible(measure > 0);
    label->raise();
  }
}

void KumoitoWindow::LayOut() {
  const int extraWidth = width() - kClientWidth;
  const int extraHeight = height() - kClientHeight;
  for (const PlacedWidget& placed : m_placed) {
    const Rect at = FollowGrowth(placed.rect, placed.anchor, extraWidth, extraHeight);
    placed.widget->setGeometry(at.left, at.top, at.Width(), at.Height());
  }
  for (auto& [number, widget] : m_controlWidgets) {
    // The cells lie in the score area, whatever row they are on.
    const bool below =
        widget->parentWidget() == this &&
        AnchorOf(widget->Control().Geometry(), kScoreAreaBottom) == WindowAnchor::kBottomLeft;
    widget->SetOffset(0, below ? std::max(extraHeight, 0) : 0);
  }
  LayOutScore();
}

void KumoitoWindow::LayOutScore() {
  if (m_scoreArea == nullptr) {
    return;
  }
  const int areaWidth = kScrollBarLeft + std::max(width() - kClientWidth, 0);
  const int areaHeight = kScoreAreaBottom + std::max(height() - kClientHeight, 0);
  m_scoreArea->setGeometry(0, 0, areaWidth, areaHeight);
  const int rowsWidth = m_zoom.MapEdge(kScrollBarLeft);
  const bool sideways = rowsWidth > areaWidth;
  // Decided here rather than by the area, so that the rows shown whole are
  // counted with the bar's height.
  m_scoreArea->setHorizontalScrollBarPolicy(sideways ? Qt::ScrollBarAlwaysOn
                                                     : Qt::ScrollBarAlwaysOff);
  const int barHeight = sideways ? m_scoreArea->horizontalScrollBar()->sizeHint().height() : 0;
  const int shownHeight = std::max(areaHeight - barHeight, 1);
  m_scoreContent->resize(std::max(rowsWidth, areaWidth), shownHeight);
  // The rows shown whole decide the scroll range and the page; those cut by
  // the bottom are drawn too.
  int rows = 0;
  while (rows < kMaxScoreRows &&
         m_zoom.Map(ScoreCellRect(rows * kScoreCellColumns)).bottom <= shownHeight) {
    ++rows;
  }
  int visible = rows;
  while (visible < kMaxScoreRows &&
         m_zoom.Map(ScoreCellRect(visible * kScoreCellColumns)).top < shownHeight) {
    ++visible;
  }
  m_logic->SetShownRows(std::max(rows, 1), std::max(visible, 1));
  m_scrollBar->setPageStep(std::max(rows, 1));
  FollowCellCount();
  // The cells raise themselves when they move; the numbers stay over them.
  for (std::size_t row = 0; row < m_rowNumbers.size(); ++row) {
    QLabel* label = m_rowNumbers[row];
    const Rect cell = ScoreCellRect(static_cast<int>(row) * kScoreCellColumns);
    const Rect at = m_zoom.Map(Rect{1, cell.top, kRowNumberWidth, cell.top + kRowNumberHeight});
    label->setGeometry(at.left, at.top, at.Width(), at.Height());
    QFont f = label->font();
    f.setPixelSize(m_zoom.MapEdge(kRowNumberFontPixels));
    label->setFont(f);
    label->raise();
  }
  PlaceEditMark();
}

void KumoitoWindow::resizeEvent(QResizeEvent* event) {
  KumoitoDialog::resizeEvent(event);
  LayOut();
}

std::string KumoitoWindow::WindowSizePath() const {
  return m_dataFolder.empty() ? std::string() : JoinPath(m_dataFolder, kWindowSizeFileName);
}

void KumoitoWindow::KeepWindowSize() {
  const std::string path = WindowSizePath();
  if (path.empty()) {
    return;
  }
  const QSize normal = isMaximized() ? normalGeometry().size() : size();
  const KeptWindowSize kept{std::max(kClientWidth, normal.width()),
                            std::max(kClientHeight, normal.height()), isMaximized()};
  if (LoadWindowSize(path, kClientWidth, kClientHeight) != kept) {
    SaveWindowSize(path, kept);
  }
}

void KumoitoWindow::ApplyZoom() {
  for (OffScreenWidget* cell : m_cellWidgets) {
    cell->SetZoom(m_zoom.Factor());
  }
  // The rows in use and the scale both change: each cell is drawn once, at
  // the end, rather than for the rows first and for the scale again.
  CScoreView& view = m_logic->ScoreView();
  const bool shown = view.ShownOnScreen();
  view.SetShownOnScreen(false);
  LayOut();
  FollowPixelRatio();
  view.SetShownOnScreen(shown);
  if (shown) {
    view.PresentAllCells();
  }
}

bool KumoitoWindow::ChooseZoom(int percent) {
  if (!m_zoom.Choose(percent)) {
    return false;
  }
  ApplyZoom();
  return true;
}

void KumoitoWindow::AddZoomMenu(QMenu& menu) {
  QMenu* zoom = menu.addMenu(FromUtf8(Ui::Tr("拡大")));
  for (int step : kZoomSteps) {
    QAction* action = zoom->addAction(QString("%1 %").arg(step));
    action->setCheckable(true);
    action->setChecked(step == m_zoom.Current());
    connect(action, &QAction::triggered, this, [this, step] { ChooseZoom(step); });
  }
}

void KumoitoWindow::CreatePracticeRow() {
  const int top = kPracticeRowTop + 3;
  auto addLabel = [this, top](const char* text, int x, int width) {
    auto* label = new QLabel(FromUtf8(Ui::Translate(text)), this);
    Place(label, Rect{x, top + 4, x + width, top + 22});
  };
  auto addSpin = [this, top](const char* name, int x, int low, int high) {
    auto* box = new QSpinBox(this);
    box->setObjectName(name);
    Place(box, Rect{x, top, x + 76, top + 26});
    box->setRange(low, high);
    box->installEventFilter(this);
    return box;
  };
  addLabel(Ui::Mark("速度"), 10, 36);
  m_speed = addSpin("practiceSpeed", 46, midi::kMinSpeed, midi::kMaxSpeed);
  m_speed->setSingleStep(midi::kSpeedStep);
  m_speed->setSuffix(" %");
  m_speed->setValue(100);
  m_loop = new QCheckBox(FromUtf8(Ui::Tr("繰り返し")), this);
  m_loop->setObjectName("practiceLoop");
  Place(m_loop, Rect{150, top, 240, top + 26});
  addLabel(Ui::Mark("開始小節"), 246, 60);
  m_loopFirst = addSpin("practiceLoopFirst", 306, 1, 1);
  addLabel(Ui::Mark("終了小節"), 392, 60);
  m_loopLast = addSpin("practiceLoopLast", 452, 1, 1);
  addLabel(Ui::Mark("カウント"), 560, 60);
  m_countIn = new QComboBox(this);
  m_countIn->setObjectName("practiceCountIn");
  Place(m_countIn, Rect{620, top, 710, top + 26});
  m_countIn->addItem(FromUtf8(Ui::Tr("なし")));
  m_countIn->addItem(FromUtf8(Ui::Tr("1小節")));
  // Empty, it draws nothing: the row looks as it always did until needed.
  m_soundNote = new QLabel(this);
  m_soundNote->setObjectName("practiceSoundNote");
  Place(m_soundNote, Rect{724, top + 4, kClientWidth - 10, top + 22});

  // A value typed between steps goes to the nearest step.
  connect(m_speed, &QSpinBox::valueChanged, this, [this](int v) {
    if (m_filling) {
      return;
    }
    m_logic->OnSpeedChanged(v);
    if (m_logic->Practice().speed != v) {
      const QSignalBlocker block(m_speed);
      m_speed->setValue(m_logic->Practice().speed);
    }
  });
  connect(m_loop, &QCheckBox::toggled, this, [this](bool on) {
    if (!m_filling) {
      m_logic->OnLoopChanged(on);
    }
  });
  auto rangeChanged = [this](QSpinBox* moved) {
    if (m_filling) {
      return;
    }
    // The other end follows, so the range never turns round.
    const QSignalBlocker a(m_loopFirst), b(m_loopLast);
    if (m_loopFirst->value() > m_loopLast->value()) {
      (moved == m_loopFirst ? m_loopLast : m_loopFirst)->setValue(moved->value());
    }
    m_logic->OnLoopRangeChanged(m_loopFirst->value(), m_loopLast->value());
  };
  connect(m_loopFirst, &QSpinBox::valueChanged, this,
          [this, rangeChanged] { rangeChanged(m_loopFirst); });
  connect(m_loopLast, &QSpinBox::valueChanged, this,
          [this, rangeChanged] { rangeChanged(m_loopLast); });
  connect(m_countIn, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (!m_filling) {
      m_logic->OnCountInChanged(i == 1);
    }
  });

  auto addZoomKey = [this](const QKeySequence& keys, auto step) {
    auto* shortcut = new QShortcut(keys, this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, [this, step] {
      if ((m_zoom.*step)()) {
        ApplyZoom();
      }
    });
  };
  // Ctrl+plus is Ctrl+Shift+= on many keyboards; Ctrl+= counts as well.
  addZoomKey(QKeySequence(Qt::CTRL | Qt::Key_Plus), &WindowZoom::ZoomIn);
  addZoomKey(QKeySequence(Qt::CTRL | Qt::Key_Equal), &WindowZoom::ZoomIn);
  addZoomKey(QKeySequence(Qt::CTRL | Qt::Key_Minus), &WindowZoom::ZoomOut);
  addZoomKey(QKeySequence(Qt::CTRL | Qt::Key_0), &WindowZoom::Reset);

  auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
  quit->setContext(Qt::WindowShortcut);
  connect(quit, &QShortcut::activated, this, [this] { m_logic->RunCommand(kCommandQuit); });

  auto* space = new QShortcut(QKeySequence(Qt::Key_Space), this);
  space->setContext(Qt::WindowShortcut);
  connect(space, &QShortcut::activated, this, [this] { m_logic->RunCommand(kCommandPlay); });
}

bool KumoitoWindow::eventFilter(QObject* watched, QEvent* event) {
  // Ctrl+wheel over the score zooms it, a notch a step.
  if (m_scoreArea != nullptr && watched == m_scoreArea->viewport() &&
      event->type() == QEvent::Wheel) {
    const auto* wheel = static_cast<QWheelEvent*>(event);
    if ((wheel->modifiers() & Qt::ControlModifier) != 0) {
      const int delta = wheel->angleDelta().y();
      if (delta != 0 && (delta > 0 ? m_zoom.ZoomIn() : m_zoom.ZoomOut())) {
        ApplyZoom();
      }
      return true;
    }
  }
  // A number box would take Space as typing, and the history's keys as its
  // own text undo; in this window Space plays and the keys undo the song.
  if (event->type() == QEvent::ShortcutOverride &&
      (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space ||
       IsHistoryKey(*static_cast<QKeyEvent*>(event)))) {
    event->ignore();
    return true;
  }
  return KumoitoDialog::eventFilter(watched, event);
}

void KumoitoWindow::TellNoSound(const std::string& text) {
  // Not modal, and the keyboard stays with the window: a key held down, or
  // pressed before the box is noticed, goes on to the score instead of
  // closing the box. Some platforms activate every window shown whatever
  // it asks, so the window takes the keys back.
  auto* box = new QMessageBox(QMessageBox::Information, "Kumoito", QString::fromStdString(text),
                              QMessageBox::Ok, this);
  box->setObjectName("noSoundMessage");
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setAttribute(Qt::WA_ShowWithoutActivating);
  box->setWindowModality(Qt::NonModal);
  box->show();
  activateWindow();
}

void KumoitoWindow::ShowSoundNote(const std::string& note, const std::string& detail) {
  if (m_soundNote != nullptr) {
    m_soundNote->setText(QString::fromStdString(note));
    m_soundNote->setToolTip(QString::fromStdString(detail));
  }
}

void KumoitoWindow::ShowPractice(const midi::PracticeSettings& practice, int measureCount) {
  if (m_speed == nullptr) {
    return;
  }
  m_filling = true;
  const int highest = std::max(measureCount, 1);
  m_speed->setValue(practice.speed);
  m_loop->setChecked(practice.loop);
  m_loopFirst->setRange(1, highest);
  m_loopLast->setRange(1, highest);
  m_loopFirst->setValue(std::min(practice.loopFirstMeasure, highest));
  m_loopLast->setValue(std::min(practice.loopLastMeasure, highest));
  m_countIn->setCurrentIndex(practice.countIn ? 1 : 0);
  m_filling = false;
}

KumoitoWindow::~KumoitoWindow() {
  // Children are deleted after the members; the ones that point into the
  // logic go first.
  delete m_inputWindow;
  m_inputWindow = nullptr;
  // The tuner asks the logic for the tuning: it goes first too.
  delete m_tuner;
  m_logic->Destroy();
  for (auto& [number, widget] : m_controlWidgets) {
    delete widget;
  }
  m_controlWidgets.clear();
}

CKumoitoDlg::StartResult KumoitoWindow::Start() {
  const CKumoitoDlg::StartResult result = m_logic->Initialize();
  // The controls have their places only now: the rows below the score
  // follow a window that opened larger.
  LayOut();
  if (result == CKumoitoDlg::StartResult::kInteractive) {
    // The first paint shows the finished pictures.
    m_logic->Buttons().PresentAllButtons();
    m_logic->ScoreView().PresentAllCells();
    m_inputWindow = new InputToolWindow(m_logic->InputTool(), this);
    AddHistoryKeys(m_inputWindow);
    PlaceInputWindow();
    m_inputWindow->show();
    ShowEditMark(m_logic->EditMarkRect());
    // Without a sequencer (or with KUMOITO_MIDI_IN=none) there is simply
    // no keyboard; the window works as ever.
    std::string why;
    if (auto input = midi::OpenAlsaMidiInput(&why)) {
      m_logic->SetMidiInput(std::move(input));
    }
  }
  return result;
}

void KumoitoWindow::PlaceInputWindow() {
  QScreen* screen = this->screen();
  if (screen == nullptr) {
    return;
  }
  // The tool has not been shown yet, so its decorations are unknown; the
  // window manager gives it the same ones as the main window.
  const QRect frame = frameGeometry();
  const QRect client = geometry();
  const int decorationWidth = frame.width() - client.width();
  const int decorationHeight = frame.height() - client.height();
  const QRect available = screen->availableGeometry();
  // The score's cells, on the screen: over them the tool hides measures but
  // no button or box.
  const int lastCell = std::max(m_logic->ScoreView().CellsInUse(), 1) - 1;
  const Rect zoomed =
      m_zoom.Map(Rect{ScoreCellRect(0).left, ScoreCellRect(0).top, ScoreCellRect(lastCell).right,
                      ScoreCellRect(lastCell).bottom});
  const QRect area = m_scoreArea->geometry();
  const Rect cells{zoomed.left, zoomed.top, std::min(zoomed.right, area.right() + 1),
                   std::min(zoomed.bottom, area.bottom() + 1)};
  const QPoint origin = mapToGlobal(QPoint(0, 0));
  const WindowPosition at = PlaceInputTool(
      Rect{frame.x(), frame.y(), frame.x() + frame.width(), frame.y() + frame.height()},
      Rect{origin.x() + cells.left, origin.y() + cells.top, origin.x() + cells.right,
           origin.y() + cells.bottom},
      m_inputWindow->width() + decorationWidth, m_inputWindow->height() + decorationHeight,
      Rect{available.x(), available.y(), available.x() + available.width(),
           available.y() + available.height()});
  m_inputWindow->move(at.x, at.y);
}

void KumoitoWindow::OnScrollAction(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
      m_logic->OnScroll(ScrollAction::kLineDown);
      break;
    case QAbstractSlider::SliderSingleStepSub:
      m_logic->OnScroll(ScrollAction::kLineUp);
      break;
    case QAbstractSlider::SliderPageStepAdd:
      m_logic->OnScroll(ScrollAction::kPageDown);
      break;
    case QAbstractSlider::SliderPageStepSub:
      m_logic->OnScroll(ScrollAction::kPageUp);
      break;
    case QAbstractSlider::SliderToMinimum:
      m_logic->OnScroll(ScrollAction::kTop);
      break;
    case QAbstractSlider::SliderToMaximum:
      m_logic->OnScroll(ScrollAction::kBottom);
      break;
    default:  // dragging the thumb: the release decides
      break;
  }
}

QComboBox* KumoitoWindow::Combo(int combo) const {
  switch (combo) {
    case kTuningCombo:
      return m_tuning;
    case kFirstStringCombo:
      return m_firstString;
    case kKeyCombo:
      return m_key;
    default:
      return nullptr;
  }
}

void KumoitoWindow::FillCombo(int combo, const std::vector<std::string>& items) {
  QComboBox* box = Combo(combo);
  if (box == nullptr) {
    return;
  }
  m_filling = true;
  box->clear();
  for (const std::string& item : items) {
    box->addItem(FromUtf8(item));
  }
  box->setCurrentIndex(-1);
  m_filling = false;
}

void KumoitoWindow::SelectCombo(int combo, int index) {
  if (QComboBox* box = Combo(combo)) {
    m_filling = true;
    box->setCurrentIndex(index < box->count() ? index : -1);
    m_filling = false;
  }
}

int KumoitoWindow::ComboSelection(int combo) const {
  const QComboBox* box = Combo(combo);
  return box != nullptr ? box->currentIndex() : -1;
}

void KumoitoWindow::SetScrollRange(int highest) {
  const QSignalBlocker block(m_scrollBar);
  m_scrollBar->setRange(0, highest);
}

void KumoitoWindow::SetScrollPosition(int position) {
  const QSignalBlocker block(m_scrollBar);
  m_scrollBar->setValue(position);
  m_scrollBar->setSliderPosition(position);
}

void KumoitoWindow::SetControlVisible(int control, bool visible) {
  if (auto it = m_controlWidgets.find(control); it != m_controlWidgets.end()) {
    it->second->setVisible(visible);
  }
}

std::string KumoitoWindow::DialogFolderPath() const {
  const std::string& data = m_logic->DataFolder();
  return data.empty() ? std::string() : JoinPath(data, kDialogFolderFileName);
}

void KumoitoWindow::PrepareFileDialog(QFileDialog& dialog, FileDialogPurpose purpose,
                                      const std::string& suggestedName) {
  DialogFolderCandidates candidates;
  candidates.songFile = m_logic->SongFileForDialogs();
  const std::string kept = DialogFolderPath();
  candidates.lastFolder = kept.empty() ? std::string() : LoadDialogFolder(kept);
  candidates.libraryFolder = JoinPath(m_logic->StartupFolder(), "Archive");
  candidates.musicFolder =
      QStandardPaths::writableLocation(QStandardPaths::MusicLocation).toStdString();
  candidates.homeFolder = QDir::homePath().toStdString();
  candidates.programFolder = m_logic->StartupFolder();
  const std::string folder = ChooseDialogFolder(purpose, candidates);
  if (!folder.empty()) {
    dialog.setDirectory(FromUtf8(folder));
  }
  if (!suggestedName.empty()) {
    dialog.selectFile(FromUtf8(suggestedName));
  }
  // Asking before overwriting is the save dialogs' only question.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
}

std::optional<std::string> KumoitoWindow::FinishFileDialog(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  const QString chosen = dialog.selectedFiles().first();
  if (const std::string kept = DialogFolderPath(); !kept.empty()) {
    SaveDialogFolder(kept, QFileInfo(chosen).absolutePath().toStdString());
  }
  return chosen.toStdString();
}

std::optional<std::string> KumoitoWindow::AskOpenScorePath() {
  QFileDialog dialog(this);
  dialog.setObjectName("openDialog");
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters(OpenFilters());
  PrepareFileDialog(dialog, FileDialogPurpose::kOpen, {});
  return FinishFileDialog(dialog);
}

std::optional<std::string> KumoitoWindow::AskSaveScorePath() {
  QFileDialog dialog(this);
  dialog.setObjectName("saveDialog");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters({FromUtf8(Ui::Translate(kScoreFilter))});
  dialog.setDefaultSuffix("mwd");
  // A score saved before keeps its name; a new one is named after its title.
  const std::string file = m_logic->SongFileForDialogs();
  const std::string name = !file.empty() && OutputFormatForPath(file) == OutputFormat::kScore
                               ? QFileInfo(FromUtf8(file)).fileName().toStdString()
                               : SuggestedFileName(m_logic->SongTitle(), "mwd");
  PrepareFileDialog(dialog, FileDialogPurpose::kSave, name);
  return FinishFileDialog(dialog);
}

std::optional<std::string> KumoitoWindow::AskExportPath() {
  QFileDialog dialog(this);
  dialog.setObjectName("exportDialog");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  QStringList filters;
  for (const ExportFilter& f : kExportFilters) {
    filters << FromUtf8(Ui::Translate(f.filter));
  }
  dialog.setNameFilters(filters);
  dialog.selectNameFilter(filters.first());
  dialog.setDefaultSuffix(QString::fromUtf8(kExportFilters[0].suffix.data()));
  // A name typed without extension gets the one of the type shown.
  connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, filters](const QString& f) {
    const auto i = static_cast<std::size_t>(filters.indexOf(f));
    if (i < kExportFilters.size()) {
      dialog.setDefaultSuffix(
          QString::fromUtf8(kExportFilters[i].suffix.data(),
                            static_cast<qsizetype>(kExportFilters[i].suffix.size())));
    }
  });
  // The name goes without extension: the type chosen adds its own.
  PrepareFileDialog(dialog, FileDialogPurpose::kExport,
                    SuggestedFileName(m_logic->SongTitle(), ""));
  return FinishFileDialog(dialog);
}

std::optional<int> KumoitoWindow::AskImportPart(const std::vector<import::PartSummary>& parts,
                                                int suggested) {
  // Only parts with notes are offered; each keeps its place in the file.
  QStringList items;
  std::vector<int> indexes;
  int current = 0;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (parts[i].noteCount == 0) {
      continue;
    }
    if (static_cast<int>(i) == suggested) {
      current = static_cast<int>(indexes.size());
    }
    const QString name =
        parts[i].name.empty() ? FromUtf8(Ui::Tr("パート %1")).arg(i + 1) : FromUtf8(parts[i].name);
    QString range;
    if (parts[i].lowest >= 0 && parts[i].highest >= 0) {
      static const char* const kNames[] = {"C",  "C#", "D",  "D#", "E",  "F",
                                           "F#", "G",  "G#", "A",  "A#", "B"};
      auto note = [](int p) { return QString("%1%2").arg(kNames[p % 12]).arg(p / 12 - 1); };
      range = QString(", %1〜%2").arg(note(parts[i].lowest), note(parts[i].highest));
    }
    items << FromUtf8(Ui::Tr("%1 (%2 音%3)")).arg(name).arg(parts[i].noteCount).arg(range);
    indexes.push_back(static_cast<int>(i));
  }
  bool ok = false;
  const QString chosen = QInputDialog::getItem(
      this, FromUtf8(Ui::Tr("パートの選択")),
      FromUtf8(Ui::Tr("旋律として読み込むパートを選んでください。")), items, current, false, &ok);
  if (!ok) {
    return std::nullopt;
  }
  const auto at = items.indexOf(chosen);
  return at < 0 ? std::nullopt : std::optional<int>(indexes[static_cast<std::size_t>(at)]);
}

void KumoitoWindow::dragEnterEvent(QDragEnterEvent* event) {
  const QMimeData* data = event->mimeData();
  if (data->hasUrls() && !data->urls().isEmpty() && data->urls().first().isLocalFile()) {
    event->acceptProposedAction();
  }
}

void KumoitoWindow::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.isEmpty() || !urls.first().isLocalFile()) {
    return;
  }
  event->acceptProposedAction();
  m_logic->OpenUserFile(urls.first().toLocalFile().toStdString());
}

std::string KumoitoWindow::RunLibraryDialog(const std::string& startupFolder,
                                            const std::string& libraryRoot,
                                            std::int32_t& category) {
  CLibraryDlg dialog(startupFolder, libraryRoot, category, this);
  dialog.exec();
  return dialog.ChosenPath();
}

void KumoitoWindow::RunSongInfoDialog(CSongData& song) {
  CSongInfoDlg dialog(song, this);
  dialog.exec();
}

std::optional<SettingsChoice> KumoitoWindow::RunSettingsDialog(const SettingsChoice& current) {
  CSettingsDlg dialog(current, this);
  if (dialog.exec() != QDialog::Accepted) {
    return std::nullopt;
  }
  return dialog.Choice();
}

void KumoitoWindow::ShowHelp(const std::string& indexPath) {
  ShowHelpWindow(indexPath, this);
}

void KumoitoWindow::ShowAbout() {
  CAboutDlg about(this);
  about.exec();
}

SaveChangesChoice KumoitoWindow::AskSaveChanges() {
  QMessageBox box(QMessageBox::Question, "Kumoito", FromUtf8(Ui::Tr("変更を保存しますか？")),
                  QMessageBox::NoButton, this);
  box.setObjectName("saveChangesBox");
  QPushButton* save = box.addButton(FromUtf8(Ui::Tr("保存")), QMessageBox::AcceptRole);
  QPushButton* discard =
      box.addButton(FromUtf8(Ui::Tr("保存しない")), QMessageBox::DestructiveRole);
  QPushButton* cancel = box.addButton(FromUtf8(Ui::Tr("キャンセル")), QMessageBox::RejectRole);
  save->setObjectName("save");
  discard->setObjectName("discard");
  cancel->setObjectName("cancel");
  box.setDefaultButton(save);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() == save) {
    return SaveChangesChoice::kSave;
  }
  return box.clickedButton() == discard ? SaveChangesChoice::kDiscard : SaveChangesChoice::kCancel;
}

std::optional<NewSongSettings> KumoitoWindow::AskNewSong(const NewSongSettings& start) {
  return RunNewSongDialog(start, this);
}

void KumoitoWindow::AddNewSongKey() {
  auto* key = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_N), this);
  key->setContext(Qt::WindowShortcut);
  connect(key, &QShortcut::activated, this, [this] { m_logic->RunCommand(kCommandNew); });
}

void KumoitoWindow::AddNewSongMenu(QMenu& menu) {
  QAction* action = menu.addAction(FromUtf8(Ui::Tr("新規")) + "\tCtrl+N");
  action->setObjectName("newSongAction");
  connect(action, &QAction::triggered, this, [this] { m_logic->RunCommand(kCommandNew); });
  menu.addSeparator();
}

std::optional<bool> KumoitoWindow::AskRestoreRecovery() {
  QMessageBox box(QMessageBox::Question, "Kumoito",
                  FromUtf8(Ui::Tr("前回保存されなかった変更があります。復元しますか？")),
                  QMessageBox::NoButton, this);
  box.setObjectName("restoreBox");
  QPushButton* restore = box.addButton(FromUtf8(Ui::Tr("復元")), QMessageBox::AcceptRole);
  QPushButton* discard = box.addButton(FromUtf8(Ui::Tr("破棄")), QMessageBox::DestructiveRole);
  restore->setObjectName("restore");
  discard->setObjectName("discard");
  box.setDefaultButton(restore);
  // Escape or the close box throws nothing away: the song is offered again.
  box.exec();
  if (box.clickedButton() == restore) {
    return true;
  }
  if (box.clickedButton() == discard) {
    return false;
  }
  return std::nullopt;
}

void KumoitoWindow::Quit() {
  accept();
}

void KumoitoWindow::EndSession() {
  m_logic->PreserveForSessionEnd();
  done(QDialog::Accepted);
}

void KumoitoWindow::Post(std::function<void()> task, std::chrono::milliseconds delay) {
  // Queued first, so that a caller on another thread never touches a timer
  // of this thread; the window as context drops the task if it is gone.
  QMetaObject::invokeMethod(
      this,
      [this, task = std::move(task), delay]() mutable {
        QTimer::singleShot(delay, this, std::move(task));
      },
      Qt::QueuedConnection);
}

void KumoitoWindow::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  // The pictures are finished; painting only copies them (the widgets paint
  // themselves from the controls' screens).
}

void KumoitoWindow::showEvent(QShowEvent* event) {
  KumoitoDialog::showEvent(event);
  if (!m_followingScreen && windowHandle() != nullptr) {
    m_followingScreen = true;
    // Another screen may have another ratio, and less room for the zoom.
    connect(windowHandle(), &QWindow::screenChanged, this, [this] { ApplyZoom(); });
  }
  ApplyZoom();
}

void KumoitoWindow::FollowPixelRatio() {
  m_logic->ScoreView().SetScale(m_zoom.Factor() * devicePixelRatioF());
  m_logic->Buttons().SetScale(devicePixelRatioF());
}

void KumoitoWindow::ShowCaption(const std::string& caption) {
  setWindowTitle(FromUtf8(caption));
}

void KumoitoWindow::SetComboToolTip(int combo, const std::string& tip) {
  if (QComboBox* box = Combo(combo)) {
    box->setToolTip(FromUtf8(tip));
  }
}

void KumoitoWindow::ShowEditMark(const std::optional<Rect>& frame) {
  m_editMarkRect = frame;
  PlaceEditMark();
}

void KumoitoWindow::PlaceEditMark() {
  if (m_editMark == nullptr) {
    return;
  }
  if (!m_editMarkRect) {
    m_editMark->hide();
    return;
  }
  const Rect at = m_zoom.Map(*m_editMarkRect);
  m_editMark->setGeometry(at.left, at.top, at.Width(), at.Height());
  m_editMark->raise();
  m_editMark->show();
  m_editMark->update();
}

void KumoitoWindow::ShowInputTool() {
  if (m_inputWindow == nullptr) {
    return;
  }
  m_inputWindow->show();
  m_inputWindow->raise();
  m_inputWindow->activateWindow();
}

void KumoitoWindow::AddHistoryKeys(QWidget* window) {
  const auto add = [this, window](const QKeySequence& keys, bool undo) {
    auto* shortcut = new QShortcut(keys, window);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this,
            [this, undo] { undo ? m_logic->Undo() : m_logic->Redo(); });
  };
  add(QKeySequence(Qt::CTRL | Qt::Key_Z), true);
  add(QKeySequence(Qt::CTRL | Qt::Key_Y), false);
  add(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), false);
}

void KumoitoWindow::AddEditMenu(QMenu& menu) {
  QAction* undo = menu.addAction(FromUtf8(m_logic->UndoCaption()) + "\tCtrl+Z");
  undo->setObjectName("undoAction");
  undo->setEnabled(m_logic->History().CanUndo());
  connect(undo, &QAction::triggered, this, [this] { m_logic->Undo(); });
  QAction* redo = menu.addAction(FromUtf8(m_logic->RedoCaption()) + "\tCtrl+Y");
  redo->setObjectName("redoAction");
  redo->setEnabled(m_logic->History().CanRedo());
  connect(redo, &QAction::triggered, this, [this] { m_logic->Redo(); });
  menu.addSeparator();
  QAction* tool = menu.addAction(FromUtf8(Ui::Tr("入力ツール")) + "\tCtrl+I");
  tool->setObjectName("inputToolAction");
  connect(tool, &QAction::triggered, this, &KumoitoWindow::ShowInputTool);
  QAction* syllables = menu.addAction(FromUtf8(Ui::Tr("口三味線を表示する")));
  syllables->setObjectName("kuchijamisenAction");
  syllables->setCheckable(true);
  syllables->setChecked(m_logic->CurrentPreferences().kuchijamisen);
  connect(syllables, &QAction::toggled, this,
          [this](bool on) { m_logic->SetKuchijamisenShown(on); });
  menu.addSeparator();
}

void KumoitoWindow::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  AddEditMenu(menu);
  QAction* tuner = menu.addAction(FromUtf8(Ui::Tr("調弦...")));
  tuner->setObjectName("tunerAction");
  connect(tuner, &QAction::triggered, this, &KumoitoWindow::ShowTuner);
  AddNewSongMenu(menu);
  QAction* about = menu.addAction(FromUtf8(Ui::Tr("バージョン情報 Kumoito(&A)...")));
  AddZoomMenu(menu);
  if (menu.exec(event->globalPos()) == about) {
    m_logic->OnSystemCommand(kAboutCommand);
  }
}

void KumoitoWindow::reject() {
  // Escape, and whatever else a dialog takes for Cancel, never ends the
  // program: only the close box, 終了 and Ctrl+Q do, after their question.
}

void KumoitoWindow::closeEvent(QCloseEvent* event) {
  if (!isVisible() || m_logic->ConfirmCloseSong()) {
    event->accept();
    done(QDialog::Accepted);
    return;
  }
  event->ignore();
}

void KumoitoWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // A number box has applied its value before the key comes here.
      event->accept();
      return;
    case Qt::Key_Escape:
      m_logic->StopPlayback();
      event->accept();
      return;
    default:
      KumoitoDialog::keyPressEvent(event);
  }
}

void KumoitoWindow::done(int result) {
  KeepWindowSize();
  // The tool edits the logic's song: it goes before the song does.
  delete m_inputWindow;
  m_inputWindow = nullptr;
  // The tuner asks the logic for the tuning: it goes first too.
  delete m_tuner;
  m_logic->Destroy();
  QDialog::done(result);
}

// ---------------------------------------------------------------------------
// The keyboard on the score.

ScoreKeysWidget* KumoitoWindow::CreateScoreKeys() {
  ScoreKeysWidget::Callbacks callbacks;
  callbacks.key = [this](QKeyEvent& event) { return OnScoreKeyPress(event); };
  callbacks.wants = [this](const QKeyEvent& event) { return WantsScoreKey(event); };
  callbacks.wantsTab = [this] { return m_logic->KeyCursor().LyricMode(); };
  callbacks.commit = [this](const QString& text) {
    m_logic->KeyCursor().TypeLyric(text.toStdString());
  };
  callbacks.preedit = [this](const QString& text) {
    if (!text.isEmpty()) {
      m_keyboardNote->setText(text);
    }
  };
  callbacks.extend = [this](QWidget* child, QPoint at) { return ExtendSelectionTo(child, at); };
  m_scoreKeys = new ScoreKeysWidget(std::move(callbacks));
  return m_scoreKeys;
}

bool KumoitoWindow::WantsScoreKey(const QKeyEvent& event) const {
  if ((event.modifiers() & Qt::ControlModifier) == 0) {
    return true;  // Space and the letters are the score's while it has the focus
  }
  switch (event.key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Insert:
    case Qt::Key_Delete:
    case Qt::Key_C:
    case Qt::Key_X:
    case Qt::Key_V:
    case Qt::Key_L:
    case Qt::Key_Space:
      return true;
    default:
      return false;  // the window's own: undo, zoom, the input tool, quit
  }
}

bool KumoitoWindow::OnScoreKeyPress(QKeyEvent& event) {
  const bool ctrl = (event.modifiers() & Qt::ControlModifier) != 0;
  bool handled = false;
  if (ctrl && (event.key() == Qt::Key_C || event.key() == Qt::Key_X)) {
    if (const auto payload = m_logic->CopyToClipboard(event.key() == Qt::Key_X)) {
      PutOnClipboard(*payload);
    }
    handled = true;
  } else if (ctrl && event.key() == Qt::Key_V) {
    m_logic->PasteFromClipboard(TakeFromClipboard());
    handled = true;
  } else if (ctrl && event.key() == Qt::Key_Space) {
    m_logic->RunCommand(kCommandPlay);
    handled = true;
  } else {
    handled = m_logic->OnScoreKey(ToKeyStroke(event));
  }
  m_scoreKeys->SetInputMethodOn(m_logic->KeyCursor().LyricMode());
  return handled;
}

bool KumoitoWindow::ExtendSelectionTo(QWidget* child, QPoint at) {
  const auto found = std::find(m_cellWidgets.begin(), m_cellWidgets.end(), child);
  if (found == m_cellWidgets.end() || child->width() <= 0 || child->height() <= 0) {
    return false;
  }
  // In the cell's own 128 x 100 pixels, whatever the zoom.
  const int x = at.x() * 128 / child->width();
  const int y = at.y() * 100 / child->height();
  const int string = y < 30 ? 2 : y < 50 ? 1 : 0;
  m_logic->OnCellDrag(static_cast<int>(found - m_cellWidgets.begin()), std::clamp(x / 8, 0, 15),
                      string);
  return true;
}

void KumoitoWindow::ShowKeyboardNote(const std::string& note) {
  if (m_keyboardNote != nullptr) {
    m_keyboardNote->setText(FromUtf8(note));
    m_keyboardNote->setToolTip(FromUtf8(note));
  }
}

TunerDialog* KumoitoWindow::Tuner() const { return m_tuner.data(); }

void KumoitoWindow::ShowTuner() {
  if (!m_tuner) {
    m_tuner = new TunerDialog(this, [this] {
      return TunerDialog::Tuning{m_logic->CurrentOpenStrings(),
                                 FromUtf8(m_logic->CurrentTuningName())};
    });
    m_tuner->setAttribute(Qt::WA_DeleteOnClose);
  }
  m_tuner->show();
  m_tuner->raise();
  m_tuner->activateWindow();
}

}  // namespace kumoito
