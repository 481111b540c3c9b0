// The main window as it opens, and what it does with the panel calls that need no command.
#include "window/form1.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include "form1_probe.h"
#include "scripted_chooser.h"
#include "shared/version.h"
#include "window/choice_settings.h"

namespace marvek {
namespace {

using testing::Entries;
using testing::Find;

QStringList Items(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

class Form1Test : public ::testing::Test {
 protected:
  Form1Test() : form(std::make_unique<testing::ScriptedChooser>()) {}

  Form1 form;
};

TEST_F(Form1Test, OpensReadyWithTheDefaultPortSpeedAndMode) {
  EXPECT_EQ(form.windowTitle(), "Marvek Converter/Uploader v" MARVEK_VERSION);
  EXPECT_EQ(Entries(Find<QListWidget>(form, "List1")), QStringList{"Ready..."});
  const auto* bar = Find<QProgressBar>(form, "ProgressBar1");
  EXPECT_EQ(bar->value(), 0);
  EXPECT_TRUE(Find<QRadioButton>(form, "Option2")->isChecked());
  EXPECT_FALSE(Find<QRadioButton>(form, "Option1")->isChecked());

  // The lists are loaded but none of their entries is chosen: the boxes show their own texts.
  const auto* port = Find<QComboBox>(form, "cboPort");
  EXPECT_TRUE(port->isEditable());
  EXPECT_EQ(port->currentText(), "Com1");
  EXPECT_EQ(port->currentIndex(), -1);
  EXPECT_EQ(Items(port), (QStringList{"Com1", "Com2"}));
  const auto* speed = Find<QComboBox>(form, "cboSpeed");
  EXPECT_TRUE(speed->isEditable());
  EXPECT_EQ(speed->currentText(), "9600");
  EXPECT_EQ(speed->currentIndex(), -1);
  EXPECT_EQ(Items(speed), (QStringList{"9600", "19200", "38400", "57600", "115200"}));

  const auto* command = Find<QPushButton>(form, "Command1");
  EXPECT_EQ(command->text(), "&Convert/Upload ");
  EXPECT_TRUE(command->font().bold());
  EXPECT_FALSE(command->autoDefault());
  EXPECT_FALSE(command->isDefault());
  for (const char* input : {"Command1", "Option1", "Option2", "cboPort", "cboSpeed"}) {
    EXPECT_TRUE(Find<QWidget>(form, input)->isEnabled()) << input;
  }
}

TEST_F(Form1Test, KeepsTheDrawnSizePlacesAndLooks) {
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  const QWidget* client = form.centralWidget();
  EXPECT_EQ(client->size(), QSize(320, 261));
  EXPECT_EQ(form.size(), form.minimumSizeHint());  // it opens at its smallest
  EXPECT_EQ(form.size().width(), 320);

  // Twips over 15, relative to the control's container.
  EXPECT_EQ(Find<QWidget>(form, "List1")->geometry(), QRect(4, 0, 313, 160));
  EXPECT_EQ(Find<QWidget>(form, "ProgressBar1")->geometry(), QRect(4, 12, 305, 17));
  EXPECT_EQ(Find<QWidget>(form, "ProgressBar1")->parentWidget()->objectName(), "Frame4");
  EXPECT_EQ(Find<QWidget>(form, "Frame1")->geometry(), QRect(196, 196, 121, 61));
  EXPECT_EQ(Find<QWidget>(form, "Command1")->geometry(), QRect(4, 12, 181, 21));
  EXPECT_EQ(Find<QWidget>(form, "cboSpeed")->geometry(), QRect(56, 36, 61, 21));

  EXPECT_EQ(client->palette().color(QPalette::Window), QColor(192, 192, 192));
  const QPalette list = Find<QWidget>(form, "List1")->palette();
  EXPECT_EQ(list.color(QPalette::Base), QColor(192, 192, 255));
  EXPECT_EQ(list.color(QPalette::Text), QColor(0, 0, 192));
  EXPECT_EQ(Find<QWidget>(form, "cboPort")->palette().color(QPalette::Base), QColor(192, 192, 255));
  EXPECT_EQ(Find<QWidget>(form, "Frame2")->palette().color(QPalette::Window),
            QApplication::palette().color(QPalette::Button));

  const auto* letters = Find<QLabel>(form, "Label4");
  EXPECT_EQ(letters->text(), QString::fromUtf8("ćčšžđ/ĆČŠŽĐ"));
  EXPECT_EQ(QFontInfo(letters->font()).family(), "DejaVu Sans");
  EXPECT_DOUBLE_EQ(letters->font().pointSizeF(), 8.25);
  EXPECT_TRUE(letters->font().underline());
  const QFontMetrics metrics(letters->font());
  for (const QChar letter : letters->text())
    EXPECT_TRUE(metrics.inFont(letter)) << int{letter.unicode()};
}

TEST_F(Form1Test, TabOrderFollowsTheDrawnOrder) {
  // The widgets that Tab stops at, in the window's focus chain from the status list on. Qt
  // stops once in a group of options, as the arrow keys move within it.
  QStringList order;
  const QWidget* list = Find<QWidget>(form, "List1");
  const QWidget* widget = list;
  do {
    const QWidget* stop = widget;
    // An editable box takes the focus in its line edit.
    if (qobject_cast<const QComboBox*>(stop->parentWidget())) stop = stop->parentWidget();
    if ((stop->focusPolicy() & Qt::TabFocus) &&
        (order.isEmpty() || order.back() != stop->objectName())) {
      order << stop->objectName();
    }
    widget = widget->nextInFocusChain();
  } while (widget != list);
  EXPECT_EQ(order, (QStringList{"List1", "cboPort", "cboSpeed", "Option1", "Option2", "Command1"}));

  form.show();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  Find<QWidget>(form, "Command1")->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), list);
}

TEST_F(Form1Test, MenusOpenTheAboutBoxAndExitCloses) {
  QStringList fileMenu;
  for (const QAction* action : Find<QMenu>(form, "Fajl")->actions()) {
    fileMenu << action->objectName();
  }
  EXPECT_EQ(fileMenu, (QStringList{"Otvori", "ShowTitles", "ExitBar", "FajlIzlaz"}));
  const QList<QAction*> bar = form.menuBar()->actions();
  ASSERT_EQ(bar.size(), 3);                          // File, Options, About
  EXPECT_EQ(bar.at(2)->objectName(), "O_programu");  // a command on the bar, not a menu
  EXPECT_EQ(bar.at(2)->menu(), nullptr);

  QMessageBox::Icon icon = QMessageBox::Warning;
  QMessageBox::StandardButtons buttons;
  QTimer::singleShot(0, &form, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    icon = box->icon();
    buttons = box->standardButtons();
    box->accept();
  });
  bar.at(2)->trigger();
  EXPECT_EQ(icon, QMessageBox::NoIcon);
  EXPECT_EQ(buttons, QMessageBox::Ok);

  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  Find<QAction>(form, "FajlIzlaz")->trigger();  // no command runs: the window just closes
  EXPECT_FALSE(form.isVisible());
}

TEST_F(Form1Test, StatusLinesGoToTheEndUnselectedWithoutScrolling) {
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  auto* list = Find<QListWidget>(form, "List1");
  for (int line = 1; line <= 40; ++line) form.AddStatus("line " + std::to_string(line));
  form.AddStatus(reinterpret_cast<const char*>(u8"Converting /tmp/Čarobnjak.txt"));
  ASSERT_EQ(list->count(), 42);
  EXPECT_EQ(list->item(41)->text(), QString::fromUtf8("Converting /tmp/Čarobnjak.txt"));
  EXPECT_TRUE(list->selectedItems().isEmpty());
  EXPECT_EQ(list->verticalScrollBar()->value(), 0);
}

TEST_F(Form1Test, GrowsWithTheStatusListAndKeepsItsSizeForTheNextRun) {
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  auto* list = Find<QListWidget>(form, "List1");
  const std::string refusal =
      "Line 1: not in the {start}{end}text layout: \"Content-Type: text/plain\"; Options > Repair "
      "title files leaves out or mends such lines.";
  form.AddStatus(refusal);
  // However narrow the list, the whole line is its entry's tooltip.
  EXPECT_EQ(list->item(1)->toolTip().toStdString(), refusal);
  EXPECT_EQ(list->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);

  // The list takes the new room; the frames keep their size at the same distance from the bottom.
  form.resize(form.size() + QSize(400, 100));
  QTRY_COMPARE(form.centralWidget()->size(), QSize(720, 361));
  EXPECT_EQ(list->geometry(), QRect(4, 0, 713, 260));
  EXPECT_EQ(Find<QWidget>(form, "Frame1")->geometry(), QRect(196, 296, 121, 61));
  EXPECT_EQ(Find<QWidget>(form, "ProgressBar1")->parentWidget()->pos(), QPoint(4, 260));
  // Wider than its smallest, the list wraps a long line rather than scroll sideways.
  EXPECT_EQ(list->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_TRUE(list->wordWrap());

  // The next window opens as this one was left.
  const QSize left = form.size();
  form.close();
  Form1 next(std::make_unique<testing::ScriptedChooser>());
  EXPECT_EQ(next.size(), left);
  OpenWindowSettings()->remove(QStringLiteral("window/geometry"));
}

// Counts the paints of one widget.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

TEST_F(Form1Test, ProgressRepaintsAtOnceAndOnlyWhenWhatTheBarShowsChanges) {
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  auto* bar = Find<QProgressBar>(form, "ProgressBar1");
  QCoreApplication::processEvents();  // paints from showing the window are done
  PaintCounter counter(bar);

  form.SetProgress(0.4f);  // still shows 0
  EXPECT_EQ(counter.paints, 0);
  form.SetProgress(37.6f);  // painted now, without the event loop
  EXPECT_EQ(bar->value(), 38);
  EXPECT_GE(counter.paints, 1);

  // A long file reports after every line: a million reports, at most one paint per percent
  // and at least one per block the bar grows by.
  counter.paints = 0;
  constexpr int kReports = 1'000'000;
  for (int line = 1; line <= kReports; ++line) {
    form.SetProgress(static_cast<float>(line) / kReports * 100.0f);
  }
  EXPECT_EQ(bar->value(), 100);
  EXPECT_LE(counter.paints, 100 - 38);
  EXPECT_GE(counter.paints, 10);
  // The bar's end is always painted at once.
  counter.paints = 0;
  form.SetProgress(0);
  EXPECT_EQ(counter.paints, 1);
}

TEST(Form1PortBox, TooltipAndContextMenuShowThePortsFoundAsTheyAreNow) {
  std::vector<SerialPortInfo> ports{
      {"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_A1-if00-port0", "FTDI <b>FT232R</b> & co"}};
  int listings = 0;
  Form1 form(std::make_unique<testing::ScriptedChooser>(), [&] {
    ++listings;
    return ports;
  });
  form.show();
  auto* box = Find<QComboBox>(form, "cboPort");
  QLineEdit* edit = box->lineEdit();
  const QString longPath = QStringLiteral("/dev/serial/by-id/usb-Prolific_Technology_Inc-port0");
  box->setEditText(longPath);
  const QPoint at(5, 5);

  QHelpEvent tip(QEvent::ToolTip, at, edit->mapToGlobal(at));
  QApplication::sendEvent(edit, &tip);
  // The whole port text, then each port; device texts shown as text, never as markup.
  const QString shown = edit->toolTip();
  EXPECT_TRUE(shown.contains(longPath)) << shown.toStdString();
  EXPECT_TRUE(shown.contains("/dev/ttyUSB0 (FTDI &lt;b&gt;FT232R&lt;/b&gt; &amp; co)"))
      << shown.toStdString();
  EXPECT_TRUE(shown.contains("/dev/serial/by-id/usb-FTDI_A1-if00-port0"));

  // An adapter plugged in since: the menu lists it.
  ports.push_back({"/dev/ttyACM0", "", "Arduino Leonardo"});
  QContextMenuEvent click(QContextMenuEvent::Mouse, at, edit->mapToGlobal(at));
  QApplication::sendEvent(edit, &click);
  auto* menu = box->findChild<QMenu*>(QStringLiteral("PortMenu"));
  ASSERT_NE(menu, nullptr);
  const QList<QAction*> actions = menu->actions();
  ASSERT_GE(actions.size(), 3);
  EXPECT_EQ(actions[0]->text(), "/dev/ttyUSB0 (FTDI <b>FT232R</b> && co)");
  EXPECT_EQ(actions[1]->text(), "/dev/ttyACM0 (Arduino Leonardo)");
  EXPECT_TRUE(actions[2]->isSeparator());  // the line edit's own actions follow
  actions[1]->trigger();
  EXPECT_EQ(box->currentText(), "/dev/ttyACM0");
  actions[0]->trigger();  // the stable name, where the port has one
  EXPECT_EQ(box->currentText(), "/dev/serial/by-id/usb-FTDI_A1-if00-port0");
  EXPECT_EQ(listings, 2);
  EXPECT_EQ(Items(box), (QStringList{"Com1", "Com2"}));
  menu->close();

  ports.clear();
  QApplication::sendEvent(edit, &click);
  QMenu* empty = nullptr;
  for (QMenu* m : box->findChildren<QMenu*>(QStringLiteral("PortMenu"))) {
    if (m != menu) empty = m;
  }
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->actions().value(0)->text(), "No serial ports found.");
  EXPECT_FALSE(empty->actions().value(0)->isEnabled());
}

TEST(AppIcon, IsA32By32PictureOfAtMost16Colours) {
  QImage icon(QStringLiteral(MARVEK_ICON_FILE), "XPM");
  ASSERT_FALSE(icon.isNull());
  EXPECT_EQ(icon.size(), QSize(32, 32));
  EXPECT_LE(icon.colorCount(), 16);
  EXPECT_GT(icon.colorCount(), 2);
}

}  // namespace
}  // namespace marvek
