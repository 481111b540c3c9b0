#include "convert/sources/dcp_xml.h"

#include <algorithm>

namespace marvek {

std::string_view LocalName(const pugi::xml_node& node) {
  const std::string_view name = node.name();
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node ChildNamed(const pugi::xml_node& node, std::string_view name) {
  for (const pugi::xml_node& child : node.children()) {
    if (child.type() == pugi::node_element && LocalName(child) == name) return child;
  }
  return {};
}

std::string_view ChildText(const pugi::xml_node& node, std::string_view name) {
  return ChildNamed(node, name).child_value();
}

bool XmlDocument::Load(std::string_view bytes, std::string& reason) {
  for (std::size_t at = bytes.find('\n'); at != std::string_view::npos;
       at = bytes.find('\n', at + 1)) {
    lineEnds_.push_back(at);
  }
  // Spaces between two runs of a line ("<Font>on</Font> <Font>time</Font>") are text.
  const pugi::xml_parse_result parsed = document_.load_buffer(
      bytes.data(), bytes.size(), pugi::parse_default | pugi::parse_ws_pcdata);
  if (parsed) return true;
  errorLine_ = LineAt(parsed.offset);
  reason = std::string("the XML cannot be read: ") + parsed.description();
  return false;
}

std::size_t XmlDocument::LineOf(const pugi::xml_node& node) const {
  return LineAt(node.offset_debug());
}

std::size_t XmlDocument::LineAt(std::ptrdiff_t offset) const {
  if (offset < 0) return 0;
  // The line ends before the offset, plus one.
  const auto ends =
      std::lower_bound(lineEnds_.begin(), lineEnds_.end(), static_cast<std::size_t>(offset));
  return 1 + static_cast<std::size_t>(ends - lineEnds_.begin());
}

}  // namespace marvek
