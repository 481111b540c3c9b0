#pragma once

#include <gtest/gtest.h>

#include <QListWidget>
#include <QStringList>
#include <QWidget>
#include <ostream>

// Shows Qt strings readably in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace marvek::testing {

// The control of the window called `name`; fails the test when there is none of that kind.
template <class Control>
Control* Find(const QWidget& window, const char* name) {
  auto* control = window.findChild<Control*>(QString::fromLatin1(name));
  EXPECT_NE(control, nullptr) << name;
  return control;
}

inline QStringList Entries(const QListWidget* list) {
  QStringList entries;
  for (int row = 0; row < list->count(); ++row) entries << list->item(row)->text();
  return entries;
}

}  // namespace marvek::testing
