// The GTK face of a dialog: a window with the template's controls at their template
// rectangles in a fixed container. Widget signals become the dialog's messages; changes the
// program makes itself report nothing, as on Windows.
#include <gtk/gtk.h>

#include <map>

#include "platform/cp932.h"
#include "platform/desktop.h"
#include "platform/dialog_face.h"
#include "platform/gtk_ui.h"

namespace plat {
namespace {

class GtkDialogFace final : public DialogFace {
public:
    ~GtkDialogFace() override {
        if (window_) gtk_widget_destroy(window_);
        if (noRadio_) g_object_unref(noRadio_);
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
    }

    bool Build(const DlgTemplate& dialog, DialogFaceEvents events) override {
        events_ = std::move(events);
        window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
        gtk_window_set_keep_above(GTK_WINDOW(window_), TRUE);
        GtkCssProvider* css = gtk_css_provider_new();
        gtk_css_provider_load_from_data(css, DialogFontCss(), -1, nullptr);
        gtk_style_context_add_provider_for_screen(gtk_widget_get_screen(window_),
                                                  GTK_STYLE_PROVIDER(css),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        g_object_unref(css);
        GtkWidget* fixed = gtk_fixed_new();
        gtk_widget_set_size_request(fixed, DialogUnitsToPixelsX(dialog.cx),
                                    DialogUnitsToPixelsY(dialog.cy));
        gtk_container_add(GTK_CONTAINER(window_), fixed);
        g_signal_connect(window_, "delete-event", G_CALLBACK(OnDelete), this);
        g_signal_connect(window_, "key-press-event", G_CALLBACK(OnKey), this);
        g_signal_connect(window_, "key-release-event", G_CALLBACK(OnKey), this);
        // A hidden member of the radio group holds the group's check when none of its
        // buttons is checked, as a Windows group can be.
        noRadio_ = gtk_radio_button_new(nullptr);
        g_object_ref_sink(noRadio_);
        GSList* group = gtk_radio_button_get_group(GTK_RADIO_BUTTON(noRadio_));
        for (const DlgItem& item : dialog.items) {
            GtkWidget* w = Make(item, &group);
            if (!w) continue;
            widgets_[item.id] = w;
            kinds_[item.id] = item.kind;
            rects_[item.id] = RECT{DialogUnitsToPixelsX(item.x), DialogUnitsToPixelsY(item.y),
                                   DialogUnitsToPixelsX(item.x) + DialogUnitsToPixelsX(item.cx),
                                   DialogUnitsToPixelsY(item.y) + DialogUnitsToPixelsY(item.cy)};
            gtk_widget_set_size_request(w, DialogUnitsToPixelsX(item.cx),
                                        DialogUnitsToPixelsY(item.cy));
            gtk_fixed_put(GTK_FIXED(fixed), w, DialogUnitsToPixelsX(item.x),
                          DialogUnitsToPixelsY(item.y));
            g_object_set_data(G_OBJECT(w), "k4-id", GINT_TO_POINTER(item.id));
        }
        return true;
    }
    void Show() override {
        gtk_widget_show_all(window_);
        gtk_window_present(GTK_WINDOW(window_));
        if (defaultButton_) gtk_widget_grab_default(defaultButton_);
    }
    void SetTitle(const std::string& text) override {
        gtk_window_set_title(GTK_WINDOW(window_), text.c_str());
    }
    std::string Title() const override {
        const char* t = gtk_window_get_title(GTK_WINDOW(window_));
        return t ? t : "";
    }
    void SetText(int id, const std::string& text) override {
        GtkWidget* w = Widget(id);
        if (!w) return;
        ++quiet_;
        switch (kinds_[id]) {
            case DlgItemKind::Edit:
                gtk_entry_set_text(GTK_ENTRY(w), text.c_str());
                break;
            case DlgItemKind::GroupBox:
                gtk_frame_set_label(GTK_FRAME(w), text.c_str());
                break;
            case DlgItemKind::Text:
                gtk_label_set_text(GTK_LABEL(w), text.c_str());
                break;
            case DlgItemKind::Bitmap:
                break;
            default:
                gtk_button_set_label(GTK_BUTTON(w), text.c_str());
                break;
        }
        --quiet_;
    }
    std::string Text(int id) const override {
        GtkWidget* w = Widget(id);
        if (!w) return "";
        const char* t = nullptr;
        switch (kinds_.at(id)) {
            case DlgItemKind::Edit:
                t = gtk_entry_get_text(GTK_ENTRY(w));
                break;
            case DlgItemKind::GroupBox:
                t = gtk_frame_get_label(GTK_FRAME(w));
                break;
            case DlgItemKind::Text:
                t = gtk_label_get_text(GTK_LABEL(w));
                break;
            case DlgItemKind::Bitmap:
                break;
            default:
                t = gtk_button_get_label(GTK_BUTTON(w));
                break;
        }
        return t ? t : "";
    }
    void SetCheck(int id, bool on) override {
        GtkWidget* w = Widget(id);
        if (!w || !GTK_IS_TOGGLE_BUTTON(w)) return;
        ++quiet_;
        if (kinds_[id] == DlgItemKind::Radio && !on) {
            if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w)))
                gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(noRadio_), TRUE);
        } else {
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w), on);
        }
        --quiet_;
    }
    bool Checked(int id) const override {
        GtkWidget* w = Widget(id);
        if (!w || !GTK_IS_TOGGLE_BUTTON(w)) return false;
        return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w));
    }
    void SetSelection(int id, int start, int end) override {
        GtkWidget* w = Widget(id);
        if (!w || !GTK_IS_ENTRY(w)) return;
        gtk_editable_select_region(GTK_EDITABLE(w), start, end);
    }
    void Selection(int id, int* start, int* end) const override {
        GtkWidget* w = Widget(id);
        *start = *end = 0;
        if (!w || !GTK_IS_ENTRY(w)) return;
        if (!gtk_editable_get_selection_bounds(GTK_EDITABLE(w), start, end))
            *start = *end = gtk_editable_get_position(GTK_EDITABLE(w));
    }
    void Enable(int id, bool on) override {
        if (GtkWidget* w = Widget(id)) gtk_widget_set_sensitive(w, on);
    }
    RECT ItemRect(int id) const override {
        auto it = rects_.find(id);
        return it == rects_.end() ? RECT{} : it->second;
    }
    void Move(const RECT& outer) override {
        // The rectangle is the framed window's; without a window manager nothing adds the
        // frame, so the client area goes where the frame would put it.
        int x = outer.left, y = outer.top;
        if (!WindowManagerFramesWindows()) {
            x += GetSystemMetrics(SM_CXDLGFRAME);
            y += GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYDLGFRAME);
        }
        gtk_window_move(GTK_WINDOW(window_), x, y);
    }
    bool BackspaceDown() const override { return backspace_; }

    void Click(int id) override {
        if (GtkWidget* w = Widget(id)) gtk_button_clicked(GTK_BUTTON(w));
    }
    void Type(int id, const std::string& text) override {
        GtkWidget* w = Widget(id);
        if (!w || !GTK_IS_ENTRY(w)) return;
        int start = 0, end = 0;
        Selection(id, &start, &end);
        gtk_editable_delete_text(GTK_EDITABLE(w), start, end);
        int pos = start;
        gtk_editable_insert_text(GTK_EDITABLE(w), text.c_str(), -1, &pos);
        gtk_editable_set_position(GTK_EDITABLE(w), pos);
    }
    void Backspace(int id) override {
        GtkWidget* w = Widget(id);
        if (!w || !GTK_IS_ENTRY(w)) return;
        backspace_ = true;
        g_signal_emit_by_name(w, "backspace");
        backspace_ = false;
    }
    void RunUntil(const std::function<bool()>& done) override { RunModalLoop(done); }

    // Tests: the widget of a control.
    GtkWidget* Widget(int id) const {
        auto it = widgets_.find(id);
        return it == widgets_.end() ? nullptr : it->second;
    }

private:
    GtkWidget* Make(const DlgItem& item, GSList** group) {
        GtkWidget* w = nullptr;
        switch (item.kind) {
            case DlgItemKind::Button:
            case DlgItemKind::DefButton:
                w = gtk_button_new_with_label(Utf8(item).c_str());
                g_signal_connect(w, "clicked", G_CALLBACK(OnClicked), this);
                if (item.kind == DlgItemKind::DefButton) {
                    gtk_widget_set_can_default(w, TRUE);
                    gtk_window_set_default(GTK_WINDOW(window_), w);
                    defaultButton_ = w;
                }
                break;
            case DlgItemKind::Radio:
                w = gtk_radio_button_new_with_label(*group, Utf8(item).c_str());
                *group = gtk_radio_button_get_group(GTK_RADIO_BUTTON(w));
                g_signal_connect(w, "clicked", G_CALLBACK(OnClicked), this);
                break;
            case DlgItemKind::CheckBox:
                w = gtk_check_button_new_with_label(Utf8(item).c_str());
                g_signal_connect(w, "clicked", G_CALLBACK(OnClicked), this);
                break;
            case DlgItemKind::GroupBox:
                w = gtk_frame_new(Utf8(item).c_str());
                break;
            case DlgItemKind::Text:
                w = gtk_label_new(Utf8(item).c_str());
                gtk_label_set_xalign(GTK_LABEL(w), 0);
                gtk_label_set_yalign(GTK_LABEL(w), 0);
                break;
            case DlgItemKind::Bitmap:
                w = gtk_drawing_area_new();
                break;
            case DlgItemKind::Edit:
                w = gtk_entry_new();
                // Enter in the field presses the default button (outside a composition: the
                // input method takes it while one is open).
                gtk_entry_set_activates_default(GTK_ENTRY(w), TRUE);
                g_signal_connect(w, "changed", G_CALLBACK(OnChanged), this);
                break;
        }
        return w;
    }
    static std::string Utf8(const DlgItem& item) { return Cp932ToUtf8(item.text); }

    static void OnClicked(GtkWidget* w, gpointer data) {
        auto* self = static_cast<GtkDialogFace*>(data);
        const int id = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(w), "k4-id"));
        if (self->kinds_[id] == DlgItemKind::Radio) {
            // A radio reports the click that checks it, not the one that unchecks its sibling.
            if (!gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w))) return;
        }
        if (self->quiet_ == 0 && self->events_.command) self->events_.command(id, BN_CLICKED);
    }
    static void OnChanged(GtkWidget* w, gpointer data) {
        auto* self = static_cast<GtkDialogFace*>(data);
        const int id = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(w), "k4-id"));
        if (self->quiet_ == 0 && self->events_.command) self->events_.command(id, EN_UPDATE);
    }
    static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
        auto* self = static_cast<GtkDialogFace*>(data);
        if (self->events_.close) self->events_.close();
        return TRUE;  // the dialog's end destroys the window
    }
    static gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer data) {
        auto* self = static_cast<GtkDialogFace*>(data);
        if (event->keyval == GDK_KEY_BackSpace) self->backspace_ = event->type == GDK_KEY_PRESS;
        return FALSE;
    }

    GtkWidget* window_ = nullptr;
    GtkWidget* defaultButton_ = nullptr;
    DialogFaceEvents events_;
    std::map<int, GtkWidget*> widgets_;
    std::map<int, DlgItemKind> kinds_;
    std::map<int, RECT> rects_;
    GtkWidget* noRadio_ = nullptr;
    int quiet_ = 0;
    bool backspace_ = false;
};

}  // namespace

std::unique_ptr<DialogFace> MakeGtkDialogFace(std::string* error) {
    if (!EnsureGtk(error)) return nullptr;
    return std::make_unique<GtkDialogFace>();
}

}  // namespace plat
