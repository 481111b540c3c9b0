#pragma once

class QWidget;

namespace marvek {

// Shows what the tool is and does, with an OK button, and returns when the operator closes it.
void ShowAboutBox(QWidget* parent);

}  // namespace marvek
