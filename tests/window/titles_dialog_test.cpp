// File > Show titles... from the window: the dialog it opens, and what it shows for a file it
// cannot show. It leaves the window's status list as it was.
#include <gtest/gtest.h>

#include <QAction>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSettings>
#include <QTableView>
#include <QTest>

#include "form1_probe.h"
#include "scripted_chooser.h"
#include "support/temp_dir.h"
#include "window/choice_settings.h"
#include "window/dialog_placement.h"
#include "window/form1.h"
#include "window/timeline_strip.h"
#include "window/title_table_model.h"
#include "window/titles_dialog.h"

namespace marvek {
namespace {

using testing::Entries;
using testing::Find;

class TitlesFromTheWindow : public ::testing::Test {
 protected:
  TitlesFromTheWindow()
      : chooser(new testing::ScriptedChooser),
        form(std::unique_ptr<testing::ScriptedChooser>(chooser)) {
    form.show();
  }

  TitlesDialog* ShowTitles() {
    Find<QAction>(form, "ShowTitles")->trigger();
    auto* dialog = form.findChild<TitlesDialog*>();
    EXPECT_NE(dialog, nullptr);
    return dialog;
  }

  testing::TempDir folder;
  testing::ScriptedChooser* chooser;
  Form1 form;
};

TEST_F(TitlesFromTheWindow, ShowsTheTitlesAndChangesNothingInTheWindow) {
  form.SelectTitleFile(folder.Write("film.sub", "{10}{20}one\r\n{30}{40}two\r\n{50}{60}three\r\n"));
  const QStringList status = Entries(Find<QListWidget>(form, "List1"));
  TitlesDialog* dialog = ShowTitles();
  ASSERT_NE(dialog, nullptr);
  ASSERT_NE(dialog->model(), nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->model()->rowCount(), 3);
  EXPECT_TRUE(Find<QLabel>(*dialog, "Summary")->text().startsWith("Titles: 3\n"));
  EXPECT_EQ(Entries(Find<QListWidget>(form, "List1")), status);

  // A search, then a click on a title it hides: the search gives way and the row is chosen.
  Find<QLineEdit>(*dialog, "Search")->setText("two");
  QTRY_COMPARE(dialog->model()->rowCount(), 1);
  emit dialog->strip()->TitleClicked(2);
  EXPECT_EQ(Find<QLineEdit>(*dialog, "Search")->text(), "");
  ASSERT_EQ(dialog->model()->rowCount(), 3);
  EXPECT_EQ(dialog->table()->currentIndex().row(), 2);
  dialog->close();
}

TEST_F(TitlesFromTheWindow, OpensBesideTheWindowAndAgainWhereTheOperatorLeftIt) {
  form.SelectTitleFile(folder.Write("film.sub", "{10}{20}one\r\n"));
  TitlesDialog* dialog = ShowTitles();
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(dialog->frameGeometry().intersects(form.frameGeometry()));
  const QRect left = form.frameGeometry().translated(0, form.frameGeometry().height() + 10);
  dialog->setGeometry(QRect(left.topLeft(), QSize(700, 400)));
  dialog->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_TRUE(form.findChildren<TitlesDialog*>().isEmpty());
  TitlesDialog* again = ShowTitles();
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->geometry(), QRect(left.topLeft(), QSize(700, 400)));
  again->close();
  OpenWindowSettings()->remove(QStringLiteral("titles"));
}

TEST_F(TitlesFromTheWindow, AFileItCannotShowGetsItsReasonInstead) {
  TitlesDialog* none = ShowTitles();
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(none->model(), nullptr);
  EXPECT_TRUE(Find<QLabel>(*none, "Refusal")->text().startsWith("File not selected !"));
  none->close();
  delete none;

  const std::string wrong = folder.Write("wrong.sub", "{1}{2}fine\r\n{3}{x}not\r\n");
  form.SelectTitleFile(wrong);
  TitlesDialog* refused = ShowTitles();
  ASSERT_NE(refused, nullptr);
  EXPECT_EQ(refused->model(), nullptr);
  EXPECT_EQ(Find<QLabel>(*refused, "Refusal")->text(),
            QString::fromStdString(wrong + " is incorrect for converting.\n" +
                                   "Line 2: end frame \"x\" is not a number\n" +
                                   "Options > Repair title files leaves out or mends such lines."));
  delete refused;

  // A SubRip file without the display's frame rate: the window says where to set it.
  form.SelectTitleFile(folder.Write("film.srt", "1\r\n00:00:01,000 --> 00:00:02,000\r\nHi\r\n"));
  TitlesDialog* timed = ShowTitles();
  ASSERT_NE(timed, nullptr);
  EXPECT_TRUE(Find<QLabel>(*timed, "Refusal")
                  ->text()
                  .endsWith("; set the display's frame rate in Options > Timing..."));
  delete timed;
  EXPECT_EQ(Entries(Find<QListWidget>(form, "List1")).size(), 2);  // Ready... and Selected ...
}

TEST(TitlesDialogColumns, ATitleOfSixtyCharactersReadsWholeAtTheOpeningSize) {
  const testing::TempDir folder;
  const std::string title = "Could you see my mother|again, after the war? Not even once.";
  ASSERT_EQ(title.size(), 60u);
  // The second title waits for the first: the Note column has words to fit.
  const std::string path = folder.Write("long.sub", "{0}{50}" + title + "\r\n{40}{60}kasnije\r\n");
  SilentPanel quiet;
  const auto view =
      std::make_shared<TitlesView>(ViewTitles(path, CharMode::DeviceCodes, {}, quiet));
  TitlesDialog dialog(view, "9600");
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  const QTableView* table = dialog.table();
  const QFontMetrics metrics = table->fontMetrics();
  const QModelIndex text = dialog.model()->index(0, TitleTableModel::Text);
  EXPECT_EQ(text.data(Qt::ToolTipRole).toString().toStdString(), title);
  EXPECT_GE(table->columnWidth(TitleTableModel::Text),
            metrics.horizontalAdvance(QString::fromStdString(title)) + 8);
  const QString note = dialog.model()->index(1, TitleTableModel::Note).data().toString();
  EXPECT_FALSE(note.isEmpty());
  EXPECT_GE(table->columnWidth(TitleTableModel::Note), metrics.horizontalAdvance(note) + 8);
  // The narrow columns fit their contents: the Text column has the spare width.
  EXPECT_LT(table->columnWidth(TitleTableModel::Number), metrics.horizontalAdvance("0000000"));
}

// Right of the window, else left, else below, else above, at the size wanted as far as the room
// allows; where no side has room for the least size, where the dialog covers the least.
TEST(TitlesDialogPlace, GoesBesideTheWindowWhereTheScreenHasRoom) {
  const QRect screen(0, 0, 1280, 1024);
  const struct {
    QRect window;
    QSize size, least;
    QRect place;
  } cases[] = {
      {{100, 100, 320, 280}, {600, 500}, {600, 360}, {420, 100, 600, 500}},
      {{100, 100, 320, 280}, {1000, 500}, {600, 360}, {420, 100, 860, 500}},
      {{700, 100, 320, 280}, {600, 500}, {600, 360}, {100, 100, 600, 500}},
      {{300, 100, 320, 280}, {900, 500}, {800, 360}, {300, 380, 900, 500}},
      {{300, 500, 320, 280}, {900, 600}, {800, 360}, {300, 0, 900, 500}},
      {{300, 300, 320, 400}, {1000, 700}, {1000, 700}, {280, 324, 1000, 700}},
      {{0, 0, 320, 280}, {2000, 2000}, {2000, 2000}, {0, 0, 1280, 1024}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PlaceBeside(c.window, c.size, c.least, screen), c.place)
        << c.window.x() << "," << c.window.y() << " " << c.size.width();
  }
}

}  // namespace
}  // namespace marvek
