// Uses each name of the core's public interface with the exact signature callers rely on.
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "convert/char_mode.h"
#include "convert/title_image.h"
#include "convert/title_line.h"
#include "shared/operator_panel.h"
#include "shared/types.h"

namespace m = marvek;

static_assert(std::is_same_v<m::ByteString, std::string>);
static_assert(std::is_same_v<decltype(&m::ParseTitleLine),
                             std::optional<m::TitleLine> (*)(std::string_view)>);
static_assert(
    std::is_same_v<decltype(&m::ApplyCharMode), m::ByteString (*)(std::string_view, m::CharMode)>);
static_assert(std::is_same_v<decltype(&m::PadTitleImage), void (*)(m::ByteString&)>);

struct Quiet : m::OperatorPanel {
  void AddStatus(const std::string&) override {}
  void SetProgress(float) override {}
  void SetInputsEnabled(bool) override {}
  void Beep() override {}
  void ProcessEvents() override {}
};

int main() {
  m::TitleLine line{"1", "2", "x"};
  m::ConversionResult result{m::ConversionOutcome::Incorrect, m::ByteString{}};
  Quiet panel;
  result = m::ConvertTitleFile("/nonexistent", m::CharMode::PlainLetters, panel);
  m::ConversionOptions repair;
  repair.repair = true;
  const m::ConversionResult repaired =
      m::ConvertTitleFile("/nonexistent", m::CharMode::DeviceCodes, panel, repair);
  const std::size_t refusedLine = repaired.lineNumber;
  const std::string& why = repaired.reason;
  return line.text.size() == 1 && result.outcome == m::ConversionOutcome::Unreadable &&
                 refusedLine == 0 && !why.empty()
             ? 0
             : 1;
}
