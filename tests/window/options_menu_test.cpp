// The Options menu: where it stands, its keys, and the choices it keeps between runs of the
// window. The settings live in the test run's own folder (see qt_test_main.cpp).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSettings>
#include <QTest>
#include <memory>

#include "form1_probe.h"
#include "scripted_chooser.h"
#include "window/choice_settings.h"
#include "window/form1.h"
#include "window/timing_dialog.h"
#include "window/titles_dialog.h"
#include "window/titles_view.h"

namespace marvek {
namespace {

using testing::Find;

std::unique_ptr<Form1> NewWindow() {
  return std::make_unique<Form1>(std::make_unique<testing::ScriptedChooser>());
}

// The letter after "&" in a caption, in small letters; 0 for none.
QChar Mnemonic(const QString& caption) {
  const qsizetype at = caption.indexOf(QLatin1Char('&'));
  return at < 0 || at + 1 >= caption.size() ? QChar() : caption.at(at + 1).toLower();
}

// Every field the operator types into or picks from in `dialog` can be reached by Alt and a
// letter of its own, through a label or its own caption.
void ExpectEveryFieldHasItsOwnKey(const QWidget& dialog) {
  QSet<QChar> keys;
  QSet<const QWidget*> named;
  for (const QLabel* label : dialog.findChildren<QLabel*>()) {
    if (!label->buddy()) continue;
    const QChar key = Mnemonic(label->text());
    EXPECT_FALSE(key.isNull()) << label->text().toStdString();
    EXPECT_FALSE(keys.contains(key)) << label->text().toStdString();
    keys.insert(key);
    named.insert(label->buddy());
  }
  for (const QRadioButton* option : dialog.findChildren<QRadioButton*>()) {
    const QChar key = Mnemonic(option->text());
    EXPECT_FALSE(key.isNull()) << option->text().toStdString();
    EXPECT_FALSE(keys.contains(key)) << option->text().toStdString();
    keys.insert(key);
  }
  for (const QWidget* field : dialog.findChildren<QWidget*>()) {
    if (qobject_cast<const QLineEdit*>(field) && qobject_cast<QComboBox*>(field->parent())) {
      continue;  // the text field inside an editable list
    }
    if (qobject_cast<const QLineEdit*>(field) || qobject_cast<const QComboBox*>(field)) {
      EXPECT_TRUE(named.contains(field)) << field->objectName().toStdString();
    }
  }
}

class OptionsMenu : public ::testing::Test {
 protected:
  OptionsMenu() { OpenWindowSettings()->clear(); }
  ~OptionsMenu() override { OpenWindowSettings()->clear(); }
};

TEST_F(OptionsMenu, StandsBetweenFileAndAboutWithKeysOfItsOwn) {
  const auto form = NewWindow();
  QStringList bar;
  QSet<QChar> keys;
  for (const QAction* action : form->menuBar()->actions()) {
    bar << (action->menu() ? action->menu()->objectName() : action->objectName());
    EXPECT_FALSE(keys.contains(Mnemonic(action->text()))) << action->text().toStdString();
    keys.insert(Mnemonic(action->text()));
  }
  EXPECT_EQ(bar, (QStringList{"Fajl", "Options", "O_programu"}));
  EXPECT_EQ(Mnemonic(Find<QMenu>(*form, "Options")->title()), QLatin1Char('o'));

  QStringList options;
  for (const QAction* action : Find<QMenu>(*form, "Options")->actions()) {
    options << action->text();
  }
  EXPECT_EQ(options, (QStringList{"&Repair title files", "&Timing..."}));
  EXPECT_TRUE(Find<QAction>(*form, "RepairTitleFiles")->isCheckable());
  EXPECT_EQ(Find<QAction>(*form, "ShowTitles")->shortcut(), QKeySequence(QStringLiteral("Ctrl+T")));

  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  QTest::keyClick(form.get(), Qt::Key_O, Qt::AltModifier);
  QTRY_VERIFY(Find<QMenu>(*form, "Options")->isVisible());
  Find<QMenu>(*form, "Options")->close();
}

TEST_F(OptionsMenu, RepairIsRememberedByTheNextWindow) {
  {
    const auto form = NewWindow();
    EXPECT_FALSE(Find<QAction>(*form, "RepairTitleFiles")->isChecked());
    Find<QAction>(*form, "RepairTitleFiles")->trigger();
    EXPECT_TRUE(form->conversionChoices().repair);
  }
  const auto next = NewWindow();
  EXPECT_TRUE(Find<QAction>(*next, "RepairTitleFiles")->isChecked());
  EXPECT_TRUE(next->conversionChoices().repair);
  Find<QAction>(*next, "RepairTitleFiles")->trigger();
  EXPECT_FALSE(NewWindow()->conversionChoices().repair);
}

TEST_F(OptionsMenu, TimingChosenInTheDialogIsRememberedAndShownAgain) {
  {
    const auto form = NewWindow();
    form->show();
    Find<QAction>(*form, "Timing")->trigger();
    auto* dialog = form->findChild<TimingDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Find<QComboBox>(*dialog, "DisplayRate")->currentText(), "Frames as in the file");
    EXPECT_EQ(Find<QComboBox>(*dialog, "FileRate")->currentText(), "From its frame-rate line");
    ExpectEveryFieldHasItsOwnKey(*dialog);

    auto* display = Find<QComboBox>(*dialog, "DisplayRate");
    display->setCurrentIndex(display->findText("25"));
    Find<QComboBox>(*dialog, "FileRate")->setEditText("23.976");
    Find<QLineEdit>(*dialog, "Shift")->setText("-1.5");
    Find<QRadioButton>(*dialog, "ShiftSeconds")->setChecked(true);
    dialog->accept();
    EXPECT_EQ(form->conversionChoices().timing,
              (TimingChoices{"25", "23.976", "-1.5", ShiftUnit::Seconds}));
  }
  const auto next = NewWindow();
  EXPECT_EQ(next->conversionChoices().timing,
            (TimingChoices{"25", "23.976", "-1.5", ShiftUnit::Seconds}));
  const TimingDialog shownAgain(next->conversionChoices().timing);
  EXPECT_EQ(Find<QComboBox>(shownAgain, "DisplayRate")->currentText(), "25");
  EXPECT_EQ(Find<QComboBox>(shownAgain, "FileRate")->currentText(), "23.976");
  EXPECT_EQ(Find<QLineEdit>(shownAgain, "Shift")->text(), "-1.5");
  EXPECT_TRUE(Find<QRadioButton>(shownAgain, "ShiftSeconds")->isChecked());
}

TEST_F(OptionsMenu, TimingThatCannotBeUsedIsNotTakenAndSaysWhy) {
  const auto form = NewWindow();
  form->show();
  Find<QAction>(*form, "Timing")->trigger();
  auto* dialog = form->findChild<TimingDialog*>();
  ASSERT_NE(dialog, nullptr);
  auto* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
  EXPECT_TRUE(ok->isEnabled());
  const int height = dialog->height();

  Find<QLineEdit>(*dialog, "Shift")->setText("2");
  Find<QRadioButton>(*dialog, "ShiftSeconds")->setChecked(true);
  EXPECT_FALSE(ok->isEnabled());
  EXPECT_EQ(Find<QLabel>(*dialog, "TimingProblem")->text(),
            "A shift in seconds needs the display's frame rate.");
  EXPECT_GT(dialog->height(), height);  // the problem line has its room
  Find<QComboBox>(*dialog, "DisplayRate")->setEditText("24");
  EXPECT_TRUE(ok->isEnabled());
  EXPECT_EQ(dialog->height(), height);  // and gives it back: no empty band above OK
  Find<QComboBox>(*dialog, "DisplayRate")->setEditText("24 fps");
  EXPECT_FALSE(ok->isEnabled());

  dialog->reject();
  EXPECT_EQ(form->conversionChoices().timing, TimingChoices{});
  EXPECT_EQ(NewWindow()->conversionChoices().timing, TimingChoices{});
}

TEST_F(OptionsMenu, TheTitlesDialogsSearchHasAKeyOfItsOwn) {
  auto view = std::make_shared<TitlesView>();
  view->image = std::string("\x00\x01\x00\x02x{\xFF", 7);
  view->titles = {{1, 3, 4, 1}};
  const TitlesDialog dialog(view, "9600");
  ExpectEveryFieldHasItsOwnKey(dialog);
}

}  // namespace
}  // namespace marvek
