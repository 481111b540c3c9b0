#pragma once

#include <optional>
#include <string_view>

#include "convert/timing/title_layout.h"

namespace marvek {

// The line layout whose title opens at the start of `rest`, a line of a file's first bytes
// (UTF-8 or ASCII) with the lines after it; nullopt when none does. The probe of every line
// layout: the reader table asks it at a file's lines to choose the layout, and before every
// reader of whole documents, so that both tell a file of lines the same way.
std::optional<TitleLayout> LayoutOpeningAt(std::string_view rest);

// Whether the file whose first bytes are `head` is one of lines from its first line with text
// on: a title of some line layout opens there, or the line begins with "{" as a brace file's
// titles do, broken or not. Such a file is never handed to a reader of whole documents.
bool OpensAsLineLayout(std::string_view head);

}  // namespace marvek
