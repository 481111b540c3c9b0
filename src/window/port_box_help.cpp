#include "window/port_box_help.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QEvent>
#include <QFile>
#include <QLineEdit>
#include <QMenu>

namespace marvek {
namespace {

QString Text(const std::string& bytes) {
  return QFile::decodeName(QByteArray::fromStdString(bytes));
}

// "/dev/ttyUSB0 (FTDI FT232R USB UART)": the name the system gives the port now, and what it is.
QString PortLabel(const SerialPortInfo& port) {
  QString label = Text(port.device);
  if (!port.description.empty()) label += QStringLiteral(" (") + Text(port.description) + ")";
  return label;
}

// The stable name where there is one: it stays when the adapter is plugged in elsewhere.
QString PortPath(const SerialPortInfo& port) {
  return Text(port.byId.empty() ? port.device : port.byId);
}

// The two forms of a port served over the network, and what each does with the Speed box.
struct NetworkForm {
  const char* prefix;
  const char* label;
};
constexpr NetworkForm kNetworkForms[] = {
    {"rfc2217://", "rfc2217://HOST:PORT (the speed is set on the far line)"},
    {"socket://", "socket://HOST:PORT (raw TCP: the server keeps its own speed)"},
};

}  // namespace

PortBoxHelp::PortBoxHelp(QComboBox* box, SerialPortLister listPorts)
    : QObject(box), box_(box), listPorts_(listPorts ? std::move(listPorts) : ListSerialPorts) {
  box_->installEventFilter(this);
  if (QLineEdit* edit = box_->lineEdit()) edit->installEventFilter(this);
}

QString PortBoxHelp::ToolTip() const {
  // Device texts come from the devices themselves: escaped, never read as markup.
  QStringList lines{box_->currentText().toHtmlEscaped()};
  const std::vector<SerialPortInfo> ports = listPorts_();
  if (ports.empty()) {
    lines << QString::fromUtf8(SerialPortsFoundLine(ports));
  } else {
    lines << QStringLiteral("Serial ports found:");
    for (const SerialPortInfo& port : ports) {
      lines << QStringLiteral("  ") + PortLabel(port).toHtmlEscaped();
      if (!port.byId.empty()) lines << QStringLiteral("    ") + Text(port.byId).toHtmlEscaped();
    }
  }
  lines << QStringLiteral("A display served over the network (ser2net, a device server):");
  for (const NetworkForm& form : kNetworkForms) {
    lines << QStringLiteral("  ") + QString::fromUtf8(form.label).toHtmlEscaped();
  }
  return QStringLiteral("<p style='white-space:pre'>") + lines.join(QStringLiteral("<br>")) +
         QStringLiteral("</p>");
}

QMenu* PortBoxHelp::BuildMenu() const {
  QLineEdit* edit = box_->lineEdit();
  QMenu* menu = edit != nullptr ? edit->createStandardContextMenu() : new QMenu;
  menu->setObjectName(QStringLiteral("PortMenu"));
  QAction* first = menu->actions().isEmpty() ? nullptr : menu->actions().first();
  const std::vector<SerialPortInfo> ports = listPorts_();
  QList<QAction*> entries;
  if (ports.empty()) {
    auto* none = new QAction(QString::fromUtf8(SerialPortsFoundLine(ports)), menu);
    none->setEnabled(false);
    entries << none;
  }
  for (const SerialPortInfo& port : ports) {
    auto* choose = new QAction(PortLabel(port), menu);
    // A label may hold "&"; the menu would read it as a shortcut mark.
    choose->setText(choose->text().replace('&', QStringLiteral("&&")));
    const QString path = PortPath(port);
    choose->setToolTip(path);
    connect(choose, &QAction::triggered, box_, [box = box_, path] { box->setEditText(path); });
    entries << choose;
  }
  menu->insertActions(first, entries);
  if (first != nullptr) menu->insertSeparator(first);
  // Last, after the line edit's own actions: choosing one starts the text for the operator to
  // finish with the server's name and port.
  menu->addSeparator();
  for (const NetworkForm& form : kNetworkForms) {
    auto* start = new QAction(QString::fromUtf8(form.label), menu);
    const QString prefix = QString::fromUtf8(form.prefix);
    connect(start, &QAction::triggered, box_, [box = box_, prefix] { box->setEditText(prefix); });
    menu->addAction(start);
  }
  return menu;
}

bool PortBoxHelp::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    // Set now, and Qt shows it as it handles the event.
    const QString tip = ToolTip();
    box_->setToolTip(tip);
    if (QLineEdit* edit = box_->lineEdit()) edit->setToolTip(tip);
  } else if (event->type() == QEvent::ContextMenu && box_->isEnabled()) {
    QMenu* menu = BuildMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setParent(box_, menu->windowFlags());
    menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace marvek
