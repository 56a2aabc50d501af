// The window as an English desktop (LANGUAGE=en) gets it: every caption,
// list, menu, question and message in English, each fitting its place.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/qt/main_window_widget.h"
#include "app/qt/translations.h"
#include "app/ui_language.h"
#include "common/message_box.h"
#include "common/report.h"
#include "common/sjis.h"
#include "input/input_tool.h"
#include "input/qt/input_tool_window.h"
#include "midi/playback_controller.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

// Each label of dialog, with whether its text fits the label.
std::vector<std::pair<QString, bool>> LabelsOf(const QWidget& dialog) {
  std::vector<std::pair<QString, bool>> labels;
  for (const QLabel* label : dialog.findChildren<QLabel*>()) {
    labels.emplace_back(label->text(), label->fontMetrics().horizontalAdvance(label->text()) <=
                                           label->contentsRect().width());
  }
  return labels;
}

// Sets one environment variable for the scope, as it was afterwards.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : m_name(name) {
    if (const char* old = std::getenv(name)) {
      m_old = old;
    }
    ::setenv(name, value, 1);
  }
  ~ScopedEnvironment() {
    if (m_old) {
      ::setenv(m_name, m_old->c_str(), 1);
    } else {
      ::unsetenv(m_name);
    }
  }

 private:
  const char* m_name;
  std::optional<std::string> m_old;
};

class EnglishWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("KUMOITO_MIDI_OUT", "none", 1);
    m_options.startupFolder = m_startup.path().string();
    m_options.dataFolder = m_data.Path("Kumoito");
    m_options.language = WindowLanguage(m_options.dataFolder, ProcessEnvironment);
    ASSERT_EQ(m_options.language, UiLanguage::kEnglish);
    ASSERT_TRUE(InstallUiLanguage(*QCoreApplication::instance(), m_options.language,
                                  KUMOITO_TRANSLATIONS_DIR));
  }
  void TearDown() override {
    m_window.reset();
    RemoveUiLanguage();
  }
  void Open() {
    m_window = std::make_unique<KumoitoWindow>(m_options);
    m_window->show();
    m_result = m_window->Start();
  }
  template <typename T>
  T* Find(const QString& name) const {
    return m_window->findChild<T*>(name);
  }
  struct Caption {
    QString text;
    int width;  // of the text
    int room;   // that its place leaves it
  };
  // The texts of the window's own labels and check boxes.
  std::vector<Caption> Captions() const {
    std::vector<Caption> captions;
    for (QLabel* label : m_window->findChildren<QLabel*>()) {
      if (!label->text().isEmpty() && label->parentWidget() == m_window.get()) {
        captions.push_back({label->text(), label->fontMetrics().horizontalAdvance(label->text()),
                            label->contentsRect().width()});
      }
    }
    for (QCheckBox* box : m_window->findChildren<QCheckBox*>()) {
      // The box itself and its gap take the check box's first pixels.
      captions.push_back({box->text(), box->fontMetrics().horizontalAdvance(box->text()),
                          box->width() - box->iconSize().width() - 8});
    }
    return captions;
  }

  ScopedEnvironment m_language{"LANGUAGE", "en_GB:ja"};
  ScopedEnvironment m_lang{"LANG", "C.UTF-8"};
  ScopedReportCapture m_reports;
  ScopedMessageBoxCapture m_boxes;
  test::TempDir m_startup;
  test::TempDir m_data;
  CKumoitoDlg::Options m_options;
  std::unique_ptr<KumoitoWindow> m_window;
  CKumoitoDlg::StartResult m_result{};
};

TEST_F(EnglishWindowTest, ButtonsListsAndLabelsSpeakEnglishAndFit) {
  Open();
  ASSERT_EQ(m_result, CKumoitoDlg::StartResult::kInteractive);
  CButtonPicture& buttons = m_window->Logic().Buttons();
  EXPECT_EQ(buttons.Caption(0), "   Quit");
  EXPECT_EQ(buttons.Caption(1), "   Open");
  EXPECT_EQ(buttons.Caption(4), "   Play");
  EXPECT_EQ(buttons.Caption(8), "   Settings");
  EXPECT_EQ(buttons.Caption(9), "   Song info");
  auto* tuning = Find<QComboBox>(QString::number(kTuningCombo));
  ASSERT_NE(tuning, nullptr);
  EXPECT_EQ(tuning->itemText(0), "Honchoshi");
  EXPECT_EQ(tuning->itemText(2), "Sansagari");
  EXPECT_EQ(Find<QComboBox>(QString::number(kFirstStringCombo))->itemText(4), "A (1 hon)");
  auto* countIn = Find<QComboBox>("practiceCountIn");
  EXPECT_EQ(countIn->itemText(0), "None");
  EXPECT_EQ(countIn->itemText(1), "1 bar");

  const auto captions = Captions();
  std::vector<QString> texts;
  for (const Caption& caption : captions) {
    SCOPED_TRACE(caption.text.toStdString());
    EXPECT_LE(caption.width, caption.room);
    texts.push_back(caption.text);
    // Not one Japanese character is left.
    for (const QChar c : caption.text) {
      EXPECT_LT(c.unicode(), 0x3000);
    }
  }
  for (const char* expected :
       {"Tuning", "1st string", "Key", "Pace", "Loop", "From bar", "To bar", "Count-in"}) {
    EXPECT_NE(std::find(texts.begin(), texts.end(), QString(expected)), texts.end()) << expected;
  }
}

TEST_F(EnglishWindowTest, PlayAndStopAndTheNoSoundNoteSpeakEnglish) {
  Open();
  CButtonPicture& buttons = m_window->Logic().Buttons();
  const auto playToTheEnd = [this, &buttons] {
    m_window->Logic().RunCommand(kCommandPlay);
    ASSERT_NE(m_window->Logic().Playback(), nullptr);
    EXPECT_EQ(buttons.Caption(4), "   Stop");
    ASSERT_TRUE(QTest::qWaitFor([this] { return !m_window->Logic().Playback()->IsPlaying(); }));
    EXPECT_EQ(buttons.Caption(4), "   Play");
  };
  // No output here: one message in full, then the row's quiet note.
  playToTheEnd();
  QString message;
  ASSERT_TRUE(QTest::qWaitFor([&] {
    const auto boxes = m_window->findChildren<QMessageBox*>("noSoundMessage");
    if (!boxes.isEmpty()) {
      message = boxes.first()->text();
    }
    return !message.isEmpty();
  }));
  EXPECT_TRUE(message.startsWith("No sound can be played.\n")) << message.toStdString();
  EXPECT_TRUE(message.contains("KUMOITO_MIDI_OUT=none is set"));
  EXPECT_TRUE(message.contains("See \"When there is no sound\" in the help."));
  playToTheEnd();
  auto* note = Find<QLabel>("practiceSoundNote");
  ASSERT_NE(note, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !note->text().isEmpty(); }));
  EXPECT_TRUE(note->text().startsWith("No sound (help:")) << note->text().toStdString();
  EXPECT_LE(note->fontMetrics().horizontalAdvance(note->text()), note->width());
}

TEST_F(EnglishWindowTest, AStartFileThatIsNotThereIsSaidInEnglish) {
  m_options.startFile = m_startup.Path("missing.mwd");
  Open();
  ASSERT_EQ(m_boxes.Messages().size(), 1u);
  EXPECT_EQ(m_boxes.Messages()[0], "The file could not be opened.\n" + m_options.startFile);
}

TEST_F(EnglishWindowTest, TheContextMenuAndTheQuitQuestionSpeakEnglish) {
  Open();
  QStringList items;
  QTimer::singleShot(50, [&items] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    for (QAction* action : menu->actions()) {
      if (!action->isSeparator()) {
        items << action->text();
      }
    }
    menu->close();
  });
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(500, 660),
                          m_window->mapToGlobal(QPoint(500, 660)));
  QApplication::sendEvent(m_window.get(), &event);
  EXPECT_TRUE(items.contains("Undo\tCtrl+Z")) << items.join('|').toStdString();
  EXPECT_TRUE(items.contains("Redo\tCtrl+Y"));
  EXPECT_TRUE(items.contains("&About Kumoito..."));
  EXPECT_TRUE(items.contains("Zoom"));
  EXPECT_TRUE(items.contains("Input tool\tCtrl+I"));

  // A change, then 終了's question.
  m_window->Logic().InputTool().SelectPosition(1, 1);
  m_window->Logic().InputTool().OnTypeSelected(kTypePluck);
  m_window->Logic().InputTool().OnStringSelected(1);
  ASSERT_TRUE(QTest::qWaitFor([this] { return m_window->windowTitle() == "*Kumoito"; }, 2000));
  EXPECT_EQ(m_window->Logic().UndoCaption(), "Undo: Notes of measure 1");
  QString question;
  QStringList answers;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    question = box->text();
    for (QAbstractButton* button : box->buttons()) {
      answers << button->text();
    }
    for (QAbstractButton* button : box->buttons()) {
      if (button->text() == "Cancel") {
        button->click();
      }
    }
  });
  EXPECT_FALSE(m_window->Logic().ConfirmCloseSong());
  EXPECT_EQ(question, "Save the changes?");
  answers.sort();
  EXPECT_EQ(answers, QStringList({"Cancel", "Don't save", "Save"}));
}

TEST_F(EnglishWindowTest, TheSettingsDialogAndTheHelpSpeakEnglish) {
  Open();
  QString title, lyrics, cancel, language;
  QTimer::singleShot(0, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    title = dialog->windowTitle();
    lyrics = dialog->findChild<QCheckBox*>("settingsLyrics")->text();
    language = dialog->findChild<QComboBox*>("settingsLanguage")->itemText(0);
    cancel = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->text();
    QMetaObject::invokeMethod(dialog, "reject");
  });
  m_window->Logic().RunCommand(kCommandSettings);
  EXPECT_EQ(title, "Settings");
  EXPECT_EQ(lyrics, "Show lyrics");
  EXPECT_EQ(language, "Follow the system");
  EXPECT_EQ(cancel, "Cancel");

  // The start-up folder holds no help: the window says which page is missing.
  m_window->Logic().RunCommand(kCommandHelp);
  auto* help = qobject_cast<QTextBrowser*>([] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->objectName() == "help") {
        return w;
      }
    }
    return static_cast<QWidget*>(nullptr);
  }());
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->windowTitle(), "Kumoito help");
  EXPECT_TRUE(help->toPlainText().startsWith("The help was not found"));
  EXPECT_TRUE(help->toPlainText().contains("help/en.htm"));
  help->close();
}

TEST_F(EnglishWindowTest, TheInputToolAndTheSongInformationFitTheirEnglish) {
  Open();
  auto* tool = m_window->findChild<InputToolWindow*>();
  ASSERT_NE(tool, nullptr);
  EXPECT_EQ(tool->windowTitle(), "Input");
  const auto toolLabels = LabelsOf(*tool);
  ASSERT_EQ(toolLabels.size(), 13u);
  for (const auto& [text, fits] : toolLabels) {
    EXPECT_TRUE(fits) << text.toStdString();
  }
  auto* type = tool->findChild<QComboBox*>(QString::number(kIdcInputType));
  ASSERT_NE(type, nullptr);
  EXPECT_EQ(type->itemText(0), "Pluck");
  auto* value = tool->findChild<QComboBox*>(QString::number(kIdcInputNoteValue));
  EXPECT_EQ(value->itemText(3), "(4) quarter");
  EXPECT_EQ(value->itemText(4), "(5)");
  auto* technique = tool->findChild<QComboBox*>(QString::number(kIdcInputTechnique));
  ASSERT_NE(technique, nullptr);
  EXPECT_EQ(technique->itemText(1), "Sukui");

  QString title;
  std::vector<std::pair<QString, bool>> infoLabels;
  QTimer::singleShot(0, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    title = dialog->windowTitle();
    infoLabels = LabelsOf(*dialog);
    QMetaObject::invokeMethod(dialog, "reject");
  });
  m_window->Logic().RunCommand(kCommandSongInfo);
  EXPECT_EQ(title, "Song information");
  ASSERT_EQ(infoLabels.size(), 5u);  // three texts, the tempo and the beats
  EXPECT_EQ(infoLabels[0].first, "Title");
  EXPECT_EQ(infoLabels[4].first, "Beats/bar");
  for (const auto& [text, fits] : infoLabels) {
    EXPECT_TRUE(fits) << text.toStdString();
  }
}

TEST(UiLanguageInstall, JapaneseLeavesTheTextsAsWrittenAndEnglishWithoutItsFileFails) {
  ASSERT_TRUE(InstallUiLanguage(*QCoreApplication::instance(), UiLanguage::kEnglish,
                                KUMOITO_TRANSLATIONS_DIR));
  EXPECT_EQ(Ui::Tr("設定"), "Settings");
  RemoveUiLanguage();
  EXPECT_EQ(Ui::Tr("設定"), "設定");
  EXPECT_FALSE(InstallUiLanguage(*QCoreApplication::instance(), UiLanguage::kEnglish,
                                 "/nonexistent/translations"));
  EXPECT_EQ(Ui::Tr("設定"), "設定");
  InstallUiLanguage(*QCoreApplication::instance(), UiLanguage::kJapanese, KUMOITO_TRANSLATIONS_DIR);
  EXPECT_EQ(Ui::Tr("設定"), "設定");
  RemoveUiLanguage();
}

}  // namespace
}  // namespace kumoito
