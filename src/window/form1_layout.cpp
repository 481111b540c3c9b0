#include "window/form1_layout.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleFactory>
#include <initializer_list>
#include <utility>
#include <vector>

namespace marvek {
namespace {

// Places are kept in twips, as the form was drawn: 15 twips make a pixel.
constexpr int kTwipsPerPixel = 15;

QRect Twips(int left, int top, int width, int height) {
  return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
          height / kTwipsPerPixel};
}

constexpr QRgb kWindowColour = qRgb(192, 192, 192);
constexpr QRgb kBoxBackground = qRgb(192, 192, 255);  // the status list and the two combo boxes
constexpr QRgb kStatusText = qRgb(0, 0, 192);

// A sans face with the Central European letters, so "ćčšžđ" shows as letters.
QFont ControlFont() {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(8.25);
  return font;
}

template <class Control>
Control* Place(Control* control, const char* name, const QRect& geometry) {
  control->setObjectName(QString::fromLatin1(name));
  control->setGeometry(geometry);
  return control;
}

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(role, colour);
  widget->setPalette(palette);
}

// Frames take the system's button colour; the labels and options on them show it through.
QGroupBox* Frame(QWidget* parent, const char* name, const QRect& geometry) {
  auto* frame = Place(new QGroupBox(parent), name, geometry);
  SetColour(frame, QPalette::Window, QApplication::palette().color(QPalette::Button));
  frame->setAutoFillBackground(true);
  return frame;
}

QLabel* Label(QWidget* parent, const char* name, const QRect& geometry, const QString& caption,
              Qt::Alignment alignment) {
  auto* label = Place(new QLabel(caption, parent), name, geometry);
  label->setAlignment(alignment | Qt::AlignTop);
  return label;
}

QComboBox* EditableBox(QWidget* parent, const char* name, const QRect& geometry,
                       const QString& text) {
  auto* box = Place(new QComboBox(parent), name, geometry);
  box->setEditable(true);
  // What the operator types is used as typed: it is neither completed nor added to the list.
  box->setCompleter(nullptr);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setEditText(text);
  SetColour(box, QPalette::Base, kBoxBackground);
  return box;
}

void Embolden(QWidget* widget) {
  QFont font = widget->font();
  font.setBold(true);
  widget->setFont(font);
}

void Underline(QWidget* widget) {
  QFont font = widget->font();
  font.setUnderline(true);
  widget->setFont(font);
}

// The Convert/Upload button and the character mode, in Frame2.
void LayOutCommandFrame(QWidget* client, Form1Controls& c) {
  c.Frame2 = Frame(client, "Frame2", Twips(60, 2940, 2835, 915));
  c.Command1 = Place(new QPushButton(QStringLiteral("&Convert/Upload "), c.Frame2), "Command1",
                     Twips(60, 180, 2715, 315));
  c.Command1->setAutoDefault(false);
  Embolden(c.Command1);
  c.Option1 = Place(new QRadioButton(c.Frame2), "Option1", Twips(120, 540, 255, 315));
  Underline(c.Option1);
  c.Label1 = Label(c.Frame2, "Label1", Twips(360, 600, 975, 255), QStringLiteral("cszdj/CSZDj"),
                   Qt::AlignHCenter);
  Underline(c.Label1);
  c.Option2 = Place(new QRadioButton(c.Frame2), "Option2", Twips(1380, 600, 255, 195));
  Underline(c.Option2);
  c.Label4 = Label(c.Frame2, "Label4", Twips(1620, 600, 1155, 255), QStringLiteral("ćčšžđ/ĆČŠŽĐ"),
                   Qt::AlignHCenter);
  Underline(c.Label4);
}

// The port and speed boxes, in Frame1.
void LayOutPortFrame(QWidget* client, Form1Controls& c) {
  c.Frame1 = Frame(client, "Frame1", Twips(2940, 2940, 1815, 915));
  c.Label2 =
      Label(c.Frame1, "Label2", Twips(300, 240, 435, 255), QStringLiteral("Port:"), Qt::AlignRight);
  Embolden(c.Label2);
  c.cboPort = EditableBox(c.Frame1, "cboPort", Twips(840, 180, 915, 315), QStringLiteral("Com1"));
  c.Label3 =
      Label(c.Frame1, "Label3", Twips(60, 600, 675, 255), QStringLiteral("Speed:"), Qt::AlignRight);
  Embolden(c.Label3);
  c.cboSpeed = EditableBox(c.Frame1, "cboSpeed", Twips(840, 540, 915, 315), QStringLiteral("9600"));
}

// Keeps the drawn places as the client grows (see LayOutForm1). The places are those at the
// opening size, so that growing and shrinking again gives the drawn layout back exactly.
class GrowingLayout : public QObject {
 public:
  GrowingLayout(QWidget* client, QListWidget* list, std::initializer_list<QWidget*> frames)
      : QObject(client), client_(client), list_(list), listDrawn_(list->geometry()) {
    for (QWidget* frame : frames) frames_.push_back({frame, frame->pos()});
    client->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == client_ && event->type() == QEvent::Resize) Follow();
    return false;
  }

 private:
  void Follow() {
    const int wider = client_->width() - kClientWidth;
    const int taller = client_->height() - kClientHeight;
    list_->setGeometry(listDrawn_.adjusted(0, 0, wider, taller));
    for (const auto& [frame, drawn] : frames_) frame->move(drawn + QPoint(0, taller));
    const bool smallest = wider <= 0;
    list_->setWordWrap(!smallest);
    list_->setHorizontalScrollBarPolicy(smallest ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  }

  QWidget* client_;
  QListWidget* list_;
  QRect listDrawn_;
  std::vector<std::pair<QWidget*, QPoint>> frames_;
};

}  // namespace

Form1Controls LayOutForm1(QWidget* client) {
  client->setMinimumSize(kClientWidth, kClientHeight);
  client->resize(kClientWidth, kClientHeight);
  client->setFont(ControlFont());
  SetColour(client, QPalette::Window, kWindowColour);
  client->setAutoFillBackground(true);

  Form1Controls c;
  c.List1 = Place(new QListWidget(client), "List1", Twips(60, 0, 4695, 2400));
  SetColour(c.List1, QPalette::Base, kBoxBackground);
  SetColour(c.List1, QPalette::Text, kStatusText);
  // Wrapped lines differ in height; the list lays them out again as its width changes.
  c.List1->setResizeMode(QListView::Adjust);
  c.List1->setTextElideMode(Qt::ElideNone);

  c.Frame4 = Frame(client, "Frame4", Twips(60, 2400, 4695, 495));
  c.ProgressBar1 = Place(new QProgressBar(c.Frame4), "ProgressBar1", Twips(60, 180, 4575, 255));
  c.ProgressBar1->setOrientation(Qt::Horizontal);
  c.ProgressBar1->setRange(0, 100);
  c.ProgressBar1->setValue(0);
  c.ProgressBar1->setTextVisible(false);
  // The classic bar of blocks: it looks as this tool always has, and paints in half the time
  // of the smooth one, which counts when the conversion repaints it after every percent.
  if (QStyle* blocks = QStyleFactory::create(QStringLiteral("Windows"))) {
    blocks->setParent(c.ProgressBar1);  // a widget does not own its style
    c.ProgressBar1->setStyle(blocks);
  }

  LayOutCommandFrame(client, c);
  LayOutPortFrame(client, c);

  // Frames and labels take no focus; the rest follow the drawn order.
  QWidget::setTabOrder(c.List1, c.cboPort);
  QWidget::setTabOrder(c.cboPort, c.cboSpeed);
  QWidget::setTabOrder(c.cboSpeed, c.Option1);
  QWidget::setTabOrder(c.Option1, c.Option2);
  QWidget::setTabOrder(c.Option2, c.Command1);
  new GrowingLayout(client, c.List1, {c.Frame4, c.Frame2, c.Frame1});
  return c;
}

}  // namespace marvek
