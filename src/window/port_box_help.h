#pragma once

#include <QObject>

#include "upload/serial_ports.h"

class QComboBox;
class QMenu;

namespace marvek {

// Helps the operator fill the port box with the ports the machine has. Its tooltip shows the
// whole port text, wider than the box, the ports found and the two forms of a port served over
// the network; its context menu lists the ports found, and choosing one puts its path into the
// box, and the two network forms, each of which starts the text with its prefix. The list is read
// afresh each time one of them is shown, so an adapter plugged in meanwhile is there.
class PortBoxHelp : public QObject {
  Q_OBJECT

 public:
  // Watches `box` and its line edit; owned by the box.
  PortBoxHelp(QComboBox* box, SerialPortLister listPorts);

  // The tooltip text for the box as it is now.
  QString ToolTip() const;
  // The context menu, built anew: the ports found, then the line edit's own actions. The
  // caller owns it.
  QMenu* BuildMenu() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QComboBox* box_;
  SerialPortLister listPorts_;
};

}  // namespace marvek
