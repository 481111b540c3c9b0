// File > Show titles... from the window: the dialog it opens, and what it shows for a file it
// cannot show. It leaves the window's status list as it was.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTableView>
#include <QTest>

#include "form1_probe.h"
#include "scripted_chooser.h"
#include "support/temp_dir.h"
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
  EXPECT_NE(Find<QLabel>(*dialog, "Summary")->text().indexOf("3 titles, frames 10 to 60."), -1);
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

}  // namespace
}  // namespace marvek
