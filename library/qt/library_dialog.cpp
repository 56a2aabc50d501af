#include "library/qt/library_dialog.h"

#include <utility>

#include <QComboBox>
#include <QListWidget>
#include <QMetaObject>

#include "common/file_util.h"
#include "common/sjis.h"
#include "common/ui_text.h"
#include "render/qt/dialog_style.h"
#include "render/qt/offscreen_widget.h"

namespace kumoito {
namespace {

constexpr int kClientWidth = 360;
constexpr int kClientHeight = 312;
constexpr Rect kLoadButtonRect{160, 270, 248, 300};
constexpr Rect kCancelButtonRect{260, 270, 348, 300};
constexpr const char* kCaption = Ui::Mark("ライブラリ");

QString Text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string Cp932(std::string_view utf8) {
  return Utf8ToCp932(utf8).value_or("");
}

}  // namespace

CLibraryDlg::CLibraryDlg(std::string startupFolder, std::string libraryRoot, std::int32_t& category,
                         QWidget* parent)
    : KumoitoDialog(parent),
      m_libraryRoot(std::move(libraryRoot)),
      m_category(category),
      m_library(category) {
  // The main window passes its start-up folder; everything the dialog reads
  // lies in the library root derived from it.
  static_cast<void>(startupFolder);
  setWindowTitle(Text(Ui::Translate(kCaption)));
  setFixedSize(kClientWidth, kClientHeight);
  ApplyDialogColors(*this, kDialogBackgroundColor);

  m_categoryBox = new QComboBox(this);
  m_categoryBox->setObjectName(QString::number(kIdcLibraryCategory));
  m_categoryBox->setGeometry(12, 12, 200, 24);
  for (std::size_t i = 0; i < kLibraryCategoryItems.size(); ++i) {
    m_categoryBox->addItem(Text(Ui::Translate(kLibraryCategoryItems[i])), static_cast<int>(i));
  }
  // A stored value no item has selects nothing and shows every file.
  m_categoryBox->setCurrentIndex(m_categoryBox->findData(static_cast<int>(m_category)));
  connect(m_categoryBox, &QComboBox::currentIndexChanged, this,
          [this](int index) { OnCategoryChanged(index); });

  m_list = new QListWidget(this);
  m_list->setObjectName(QString::number(kIdcLibraryList));
  m_list->setGeometry(12, 44, 336, 216);
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  connect(m_list, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem*) { OnLibraryButton(kLibraryLoadCommand); });

  const std::array<int, 2> ids = {kIdcLibraryLoadButton, kIdcLibraryCancelButton};
  for (std::size_t i = 0; i < m_buttonControls.size(); ++i) {
    m_buttonWidgets[i] = new OffScreenWidget(m_buttonControls[i], this);
    m_buttonWidgets[i]->setObjectName(QString::number(ids[i]));
  }
  // The buttons' pictures at the screen's pixel ratio.
  m_buttons.SetScale(devicePixelRatioF());
  m_buttons.CreateButtonGroup(
      m_buttonControls[0], kLoadButtonRect, Cp932(Ui::Tr("   読　込")), kNormalFaceId,
      kPressedFaceId, -1, [this](int command) { OnLibraryButton(command); }, [](int) {});
  m_buttons.AddButton(m_buttonControls[1], kCancelButtonRect, Cp932(Ui::Tr("   取　消")),
                      kNormalFaceId, kPressedFaceId, -1);
  m_buttonControls[0].m_id = kLibraryLoadCommand;
  m_buttonControls[1].m_id = kLibraryCancelCommand;

  SetControlsEnabled(false);
  StartScan();
}

CLibraryDlg::~CLibraryDlg() {
  StopScan();
  m_buttons.ReleaseAllButtons();
  // The widgets refer to the controls, members that go before the
  // children would.
  for (OffScreenWidget*& widget : m_buttonWidgets) {
    delete widget;
    widget = nullptr;
  }
}

void CLibraryDlg::StartScan() {
  m_library.Clear();
  m_list->clear();
  m_scanning = true;
  const unsigned serial = ++m_scanSerial;
  // The scan thread only queues calls; the dialog outlives every queued call
  // it has not dropped, because StopScan joins the thread first and Qt
  // discards calls queued for an object that has gone.
  const bool started = m_scan.Start(
      m_libraryRoot,
      [this, serial](const LibraryEntry& entry) {
        QMetaObject::invokeMethod(
            this, [this, serial, entry] { OnEntryArrived(entry, serial); }, Qt::QueuedConnection);
      },
      [this, serial] {
        QMetaObject::invokeMethod(
            this, [this, serial] { OnScanFinished(serial); }, Qt::QueuedConnection);
      });
  if (!started) {
    OnScanFinished(serial);
  }
  UpdateCaption();
}

void CLibraryDlg::StopScan() {
  m_scan.Cancel();
  ++m_scanSerial;
  m_scanning = false;
}

void CLibraryDlg::OnEntryArrived(const LibraryEntry& entry, unsigned serial) {
  if (serial != m_scanSerial) {
    return;
  }
  if (m_library.Add(entry)) {
    m_list->addItem(Text(LibraryLineText(entry)));
    UpdateCaption();
  }
}

void CLibraryDlg::OnScanFinished(unsigned serial) {
  if (serial != m_scanSerial) {
    return;
  }
  m_scan.Join();
  m_scanning = false;
  SetControlsEnabled(true);
  UpdateCaption();
}

void CLibraryDlg::OnCategoryChanged(int index) {
  if (index < 0) {
    return;
  }
  m_category = m_categoryBox->itemData(index).toInt();
  // Lines are only ever made here, on the GUI thread, from the files the
  // scan has delivered so far; later files follow under the new category.
  m_library.SetCategory(m_category);
  FillList();
}

void CLibraryDlg::FillList() {
  m_list->clear();
  for (int i = 0; i < m_library.LineCount(); ++i) {
    m_list->addItem(Text(LibraryLineText(m_library.Line(i))));
  }
  UpdateCaption();
}

void CLibraryDlg::SetControlsEnabled(bool enabled) {
  m_list->setEnabled(enabled);
  for (std::size_t i = 0; i < m_buttonWidgets.size(); ++i) {
    m_buttonWidgets[i]->SetControlEnabled(enabled);
    m_buttons.RenderButtonFace(static_cast<int>(i));
  }
  m_buttons.PresentAllButtons();
}

void CLibraryDlg::UpdateCaption() {
  // While the scan runs the caption counts the lines listed so far.
  if (m_scanning && m_library.LineCount() > 0) {
    setWindowTitle(Text(kCaption) + QStringLiteral(" %1").arg(m_library.LineCount()));
  } else {
    setWindowTitle(Text(Ui::Translate(kCaption)));
  }
}

void CLibraryDlg::OnLibraryButton(int command) {
  if (command == kLibraryLoadCommand) {
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (m_scanning || selected.isEmpty()) {
      m_chosenPath.clear();
      return;
    }
    const int row = m_list->row(selected.front());
    if (row < 0 || row >= m_library.LineCount()) {
      m_chosenPath.clear();
      return;
    }
    m_chosenPath = JoinPath(m_libraryRoot, m_library.Line(row).fileName);
    accept();
  } else if (command == kLibraryCancelCommand) {
    m_chosenPath.clear();
    reject();
  }
}

void CLibraryDlg::done(int result) {
  // Nothing of the scan may reach the dialog once it has ended.
  StopScan();
  QDialog::done(result);
}

}  // namespace kumoito
