// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
//
// traycolors RRGGBB: sets _NET_SYSTEM_TRAY_COLORS on the XEmbed tray's manager window, as a
// panel with a dark or light theme does, so that icons can follow it.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply
        = xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}
} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2 || std::strlen(argv[1]) != 6) {
        std::fprintf(stderr, "usage: traycolors RRGGBB\n");
        return 2;
    }
    const unsigned long rgb = std::strtoul(argv[1], nullptr, 16);
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "traycolors: no X display\n");
        return 1;
    }
    xcb_get_selection_owner_reply_t *owner = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atom(connection, "_NET_SYSTEM_TRAY_S0")), nullptr);
    if (!owner || owner->owner == XCB_WINDOW_NONE) {
        std::fprintf(stderr, "traycolors: no tray\n");
        return 1;
    }
    uint32_t values[12];
    for (int i = 0; i < 12; i += 3) {
        values[i] = uint32_t((rgb >> 16) & 0xff) * 257;
        values[i + 1] = uint32_t((rgb >> 8) & 0xff) * 257;
        values[i + 2] = uint32_t(rgb & 0xff) * 257;
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, owner->owner, atom(connection, "_NET_SYSTEM_TRAY_COLORS"),
                        XCB_ATOM_CARDINAL, 32, 12, values);
    std::free(owner);
    xcb_flush(connection);
    xcb_disconnect(connection);
    return 0;
}
