#include "ui/framework/translucency.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdlib>
#include <memory>
#include <string>

namespace ui {

bool TranslucentWindowsSupported() {
  if (QGuiApplication::platformName() != "xcb") return true;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  if (!connection) return false;
  // A compositing manager owns the selection _NET_WM_CM_S<screen>.
  const std::string name = "_NET_WM_CM_S0";
  std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
      xcb_intern_atom_reply(connection,
                            xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.c_str()),
                            nullptr),
      &std::free);
  if (!atom || atom->atom == XCB_ATOM_NONE) return false;
  std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
      xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr),
      &std::free);
  return owner && owner->owner != XCB_NONE;
}

}  // namespace ui
