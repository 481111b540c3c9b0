#include "upload/open_link.h"

#include "upload/network_link.h"

namespace marvek {
namespace {

template <typename Link, typename... Panel>
OpenedLink OpenAs(const LinkSettings& settings, Panel&... panel) {
  auto link = std::make_unique<Link>();
  LinkStatus status = link->Open(settings, panel...);
  if (!status) return {nullptr, std::move(status)};
  return {std::move(link), std::move(status)};
}

}  // namespace

OpenedLink OpenDisplayLink(const LinkSettings& settings, OperatorPanel& panel) {
  if (settings.network) return OpenAs<NetworkLink>(settings, panel);
  return OpenAs<SerialLink>(settings);
}

}  // namespace marvek
