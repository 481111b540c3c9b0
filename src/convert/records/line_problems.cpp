#include "convert/records/line_problems.h"

namespace marvek {
namespace {

struct KindWords {
  const char* one;   // "blank line"
  const char* many;  // "blank lines"
  const char* done;  // what repair does to such a line, after "; "
};

// In the order of RepairKind.
constexpr KindWords kWords[kRepairKinds] = {
    {"blank line", "blank lines", "left out"},
    {"line that is no title", "lines that are no title", "left out"},
    {"frame-rate line", "frame-rate lines", "left out"},
    {"title ending at frame 0 or before", "titles ending at frame 0 or before", "left out"},
    {"SubRip title that cannot be read", "SubRip titles that cannot be read", "left out"},
    {"title starting before frame 0", "titles starting before frame 0", "starts at frame 0"},
    {"line holding two titles", "lines holding two titles", "split into two titles"},
    {"text with \"{\" or \"}\"", "texts with \"{\" or \"}\"",
     "\"{\" and \"}\" become \"(\" and \")\""},
    {"title with \"/\" starting a line", "titles with \"/\" starting a line", "\"/\" removed"},
    {"title too long to repeat", "titles too long to repeat", "shortened"},
};

const KindWords& WordsOf(RepairKind kind) {
  return kWords[static_cast<std::size_t>(kind)];
}

// "2 blank lines (lines 2, 40)", "212 titles ... (lines 1, 2, 3, ...)".
std::string Counted(RepairKind kind, const RepairReport::Count& count) {
  std::string text = std::to_string(count.lines) + " ";
  text += count.lines == 1 ? WordsOf(kind).one : WordsOf(kind).many;
  text += count.lines == 1 ? " (line " : " (lines ";
  const std::size_t shown =
      count.lines < RepairReport::kFirstLinesKept ? count.lines : RepairReport::kFirstLinesKept;
  for (std::size_t i = 0; i < shown; ++i) {
    if (i > 0) text += ", ";
    text += std::to_string(count.first[i]);
  }
  if (count.lines > shown) text += ", ...";
  return text + ")";
}

// "left out 2 blank lines (lines 2, 40), 1 frame-rate line (line 3)", or empty.
std::string Part(const RepairReport& report, bool leftOut) {
  std::string text;
  for (std::size_t k = 0; k < kRepairKinds; ++k) {
    const auto kind = static_cast<RepairKind>(k);
    if (LeavesOut(kind) != leftOut || report.of(kind).lines == 0) continue;
    text += text.empty() ? (leftOut ? "left out " : "mended ") : ", ";
    text += Counted(kind, report.of(kind));
  }
  return text;
}

}  // namespace

bool RepairReport::empty() const {
  for (const Count& count : kinds) {
    if (count.lines != 0) return false;
  }
  return true;
}

std::string RepairStatusLine(const RepairReport& report) {
  if (report.empty()) return "Repair found nothing to leave out or mend.";
  const std::string leftOut = Part(report, true);
  const std::string mended = Part(report, false);
  std::string line = "Repair ";
  line += leftOut;
  if (!leftOut.empty() && !mended.empty()) line += "; ";
  line += mended;
  return line + ".";
}

std::string DescribeProblem(const LineProblem& problem, bool repair) {
  std::string text = "Line " + std::to_string(problem.lineNumber) + ": " + problem.reason;
  if (repair) return text + "; " + WordsOf(problem.kind).done;
  return problem.refused() ? text : text + " (read as it stands)";
}

void ProblemLog::Note(std::size_t lineNumber, RepairKind kind, LineFault fault,
                      std::string_view reason) {
  const auto k = static_cast<std::size_t>(kind);
  if (lastLine_[k] != lineNumber) {
    lastLine_[k] = lineNumber;
    RepairReport::Count& count = report.kinds[k];
    if (count.lines < RepairReport::kFirstLinesKept) count.first[count.lines] = lineNumber;
    ++count.lines;
  }
  if (collect_) problems.push_back({lineNumber, kind, fault, std::string(reason)});
}

}  // namespace marvek
