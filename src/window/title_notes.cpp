#include "window/title_notes.h"

namespace marvek {
namespace {

// In the order the Note column names them: the cause before its effect.
const struct NoteKind {
  RecordSource::Note note;
  const char* words;
  QColor colour;  // invalid: the note has no colour of its own
} kNoteKinds[] = {
    {RecordSource::kWaited, "waited for an overlap", QColor(235, 140, 0)},   // orange
    {RecordSource::kShortened, "shortened", QColor(210, 40, 40)},            // red
    {RecordSource::kMended, "mended", QColor(0, 150, 60)},                   // green
    {RecordSource::kBridge, "split over a long gap", QColor(140, 60, 180)},  // purple
    {RecordSource::kContinued, "continues a long title", QColor()},
};

// Which colour a title of several notes takes: what the operator should look at first.
constexpr RecordSource::Note kColourOrder[] = {RecordSource::kMended, RecordSource::kShortened,
                                               RecordSource::kWaited, RecordSource::kBridge};

const QColor kAsInTheFile(40, 90, 190);  // blue

}  // namespace

std::string NoteWords(std::uint8_t notes) {
  std::string text;
  for (const NoteKind& kind : kNoteKinds) {
    if ((notes & kind.note) == 0) continue;
    if (!text.empty()) text += ", ";
    text += kind.words;
  }
  return text;
}

QColor TitleColour(std::uint8_t notes) {
  for (const RecordSource::Note note : kColourOrder) {
    if ((notes & note) == 0) continue;
    for (const NoteKind& kind : kNoteKinds) {
      if (kind.note == note) return kind.colour;
    }
  }
  return kAsInTheFile;
}

QString NotesLegend() {
  const QString entry =
      QStringLiteral("<span style=\"color:%1\">&#9632;</span>&nbsp;%2&nbsp;&nbsp; ");
  QString html = entry.arg(kAsInTheFile.name(), QStringLiteral("as in the file"));
  for (const NoteKind& kind : kNoteKinds) {
    if (kind.colour.isValid())
      html += entry.arg(kind.colour.name(), QString::fromLatin1(kind.words));
  }
  return html;
}

}  // namespace marvek
