#include "platform/gtk_ui.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <string>

#include "platform/desktop.h"
#include "platform/messages.h"
#include "platform/modal_scope.h"

namespace plat {
namespace {

bool g_started = false;
bool g_failed = false;

void WarpPointer(int x, int y) {
    GdkDisplay* display = gdk_display_get_default();
    if (!display) return;
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(display));
    gdk_device_warp(pointer, gdk_display_get_default_screen(display), x, y);
    gdk_display_flush(display);
}

gboolean ServeSent(gpointer) {
    ServeDuringModalLoop();
    return G_SOURCE_CONTINUE;
}

}  // namespace

bool EnsureGtk(std::string* error) {
    if (g_started) return true;
    if (!g_failed) {
        // GTK's X connection is its own; SDL keeps its own beside it.
        if (gtk_init_check(nullptr, nullptr)) {
            g_started = true;
            SetPointerWarp(WarpPointer);
            return true;
        }
        g_failed = true;
    }
    if (error) *error = "GTK cannot open a display";
    return false;
}

void RunModalLoop(const std::function<bool()>& done) {
    const guint source = g_timeout_add(1, ServeSent, nullptr);
    while (!done()) g_main_context_iteration(nullptr, TRUE);
    g_source_remove(source);
}

const char* DialogFontCss() {
    return "* { font-family: \"IPAPGothic\"; font-size: 9pt; }";
}

void DialogBaseUnits(int* x, int* y) {
    static int baseX = 0, baseY = 0;
    if (baseX == 0) {
        // Windows' rule: the average width of the 52 Latin letters, rounded, and the
        // font's height.
        PangoFontMap* map = pango_cairo_font_map_get_default();
        PangoContext* context = pango_font_map_create_context(map);
        PangoLayout* layout = pango_layout_new(context);
        PangoFontDescription* font = pango_font_description_from_string("IPAPGothic 9");
        pango_layout_set_font_description(layout, font);
        pango_layout_set_text(layout, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", -1);
        int width = 0, height = 0;
        pango_layout_get_pixel_size(layout, &width, &height);
        baseX = (width / 26 + 1) / 2;
        baseY = height;
        pango_font_description_free(font);
        g_object_unref(layout);
        g_object_unref(context);
        if (baseX <= 0 || baseY <= 0) {
            baseX = 6;
            baseY = 12;
        }
    }
    *x = baseX;
    *y = baseY;
}

}  // namespace plat

namespace plat {

bool WindowManagerFramesWindows() {
    GdkScreen* screen = gdk_screen_get_default();
    if (!screen || !GDK_IS_X11_SCREEN(screen)) return true;
    const char* name = gdk_x11_screen_get_window_manager_name(screen);
    return name && std::string(name) != "unknown";
}

}  // namespace plat
