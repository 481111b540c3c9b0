#include "window/choice_settings.h"

#include <QSettings>

namespace marvek {
namespace {

const QString kRepair = QStringLiteral("conversion/repair");
const QString kDisplayRate = QStringLiteral("timing/displayRate");
const QString kFileRate = QStringLiteral("timing/fileRate");
const QString kShift = QStringLiteral("timing/shift");
const QString kShiftUnit = QStringLiteral("timing/shiftUnit");
const QString kSeconds = QStringLiteral("seconds");
const QString kFrames = QStringLiteral("frames");

std::string Text(QSettings& settings, const QString& key) {
  return settings.value(key).toString().trimmed().toStdString();
}

}  // namespace

std::unique_ptr<QSettings> OpenWindowSettings() {
  // Named here rather than through the application's names, so that every program that opens the
  // window (the tests and the benchmark too) reads the same file, and a test can move it away
  // with QSettings::setPath.
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                     QStringLiteral("marvek"), QStringLiteral("marvek"));
}

ConversionChoices LoadChoices(QSettings& settings) {
  ConversionChoices choices;
  choices.repair = settings.value(kRepair, false).toBool();

  TimingChoices timing;
  timing.displayRate = Text(settings, kDisplayRate);
  timing.fileRate = Text(settings, kFileRate);
  timing.shift = Text(settings, kShift);
  timing.shiftUnit =
      settings.value(kShiftUnit).toString() == kSeconds ? ShiftUnit::Seconds : ShiftUnit::Frames;
  // Timing that cannot be used would refuse every file, for a reason the operator did not give:
  // each part that cannot be read starts afresh, the rest is kept.
  if (!timing.displayRate.empty() && !DisplayRateOf(timing)) timing.displayRate.clear();
  if (!timing.fileRate.empty() && !FileRateOf(timing)) timing.fileRate.clear();
  if (!TimingProblem(timing).empty()) {
    timing.shift.clear();
    timing.shiftUnit = ShiftUnit::Frames;
  }
  choices.timing = timing;
  return choices;
}

void SaveChoices(const ConversionChoices& choices, QSettings& settings) {
  settings.setValue(kRepair, choices.repair);
  settings.setValue(kDisplayRate, QString::fromStdString(choices.timing.displayRate));
  settings.setValue(kFileRate, QString::fromStdString(choices.timing.fileRate));
  settings.setValue(kShift, QString::fromStdString(choices.timing.shift));
  settings.setValue(kShiftUnit,
                    choices.timing.shiftUnit == ShiftUnit::Seconds ? kSeconds : kFrames);
  settings.sync();
}

}  // namespace marvek
