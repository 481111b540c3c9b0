#pragma once

#include <pugixml.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/records/conversion_result.h"
#include "shared/operator_panel.h"

namespace marvek {

// An element's name without its namespace prefix: SMPTE documents may write "dcst:Subtitle".
std::string_view LocalName(const pugi::xml_node& node);

// The first child element of `node` named `name`, whatever its prefix; empty when there is none.
pugi::xml_node ChildNamed(const pugi::xml_node& node, std::string_view name);

// The text of `node`'s child element `name`, "" when there is none.
std::string_view ChildText(const pugi::xml_node& node, std::string_view name);

// Visits every node below `top` in document order; `visit(node)` returns whether to go into the
// node's children. A loop, not recursion: a document nested a million deep must not overflow the
// stack.
template <typename Visit>
void WalkBelow(const pugi::xml_node& top, Visit visit) {
  pugi::xml_node node = top.first_child();
  while (node) {
    if (visit(node) && node.first_child()) {
      node = node.first_child();
      continue;
    }
    while (node != top && !node.next_sibling()) node = node.parent();
    if (node == top) return;
    node = node.next_sibling();
  }
}

// An XML document read whole from `bytes` (any encoding XML allows), with the lines of its
// nodes known.
class XmlDocument {
 public:
  // Parses `bytes`; false with `reason` when it is no well-formed XML.
  bool Load(std::string_view bytes, std::string& reason);
  const pugi::xml_document& document() const { return document_; }
  pugi::xml_node root() const { return document_.document_element(); }
  // The line of the file `node` begins on, counted from 1; 0 when it cannot be told.
  std::size_t LineOf(const pugi::xml_node& node) const;
  // The line of the place where parsing stopped, after Load() returned false.
  std::size_t errorLine() const { return errorLine_; }

 private:
  std::size_t LineAt(std::ptrdiff_t offset) const;

  pugi::xml_document document_;
  std::vector<std::size_t> lineEnds_;  // the offset of every "\n", in order
  std::size_t errorLine_ = 0;
};

}  // namespace marvek
