// Message boxes on the window thread. The box's modal loop runs on the thread that shows it,
// and GTK belongs to the window thread, so a box asked elsewhere becomes a synchronous
// request to that thread. Headless, the box never waits for a person: the
// script answers it, or its default button does.
#include "platform/message_box.h"

#include <gtk/gtk.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/cp932.h"
#include "platform/gtk_ui.h"
#include "platform/modal_scope.h"
#include "platform/script_state.h"
#include "platform/seams.h"

namespace plat {
namespace {

constexpr unsigned kButtonMask = 0x00F;
constexpr unsigned kIconMask = 0x0F0;
constexpr unsigned kDefaultMask = 0xF00;

std::mutex g_boxesMutex;
std::vector<BoxRecord> g_boxes;

// The buttons of a box, in the order they are shown. Types the player does not use
// (abort/retry/ignore and the like) are shown as a plain OK box.
std::vector<int> ButtonsOf(unsigned type) {
    switch (type & kButtonMask) {
        case MB_OKCANCEL:
            return {IDOK, IDCANCEL};
        case MB_YESNO:
            return {IDYES, IDNO};
        case MB_YESNOCANCEL:
            return {IDYES, IDNO, IDCANCEL};
        default:
            return {IDOK};
    }
}

bool Fits(unsigned type, int answer) {
    for (int id : ButtonsOf(type))
        if (id == answer) return true;
    return false;
}

const char* AnswerName(int id) {
    switch (id) {
        case IDOK:
            return "ok";
        case IDCANCEL:
            return "cancel";
        case IDYES:
            return "yes";
        case IDNO:
            return "no";
        default:
            return "?";
    }
}

// Quoted for the log: one line per box, and a caption or text can always be read back.
std::string Escape(std::string_view s) {
    std::string out = "\"";
    for (char ch : s) {
        unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\x%02X", c);
                    out += buf;
                } else {
                    out += ch;
                }
        }
    }
    out += '"';
    return out;
}

// Shows the box with GTK; nullopt when no display can be opened. The buttons and the
// default are Windows' for the type, with GTK's own labels. Closing the box gives Cancel,
// or OK on a box that has only OK; a Yes/No box cannot be closed or escaped, as on Windows.
std::optional<int> ShowGtkBox(const std::string& caption, const std::string& text, unsigned type,
                              std::string* error) {
    if (!EnsureGtk(error)) return std::nullopt;
    std::vector<int> ids = ButtonsOf(type);
    GtkMessageType icon = GTK_MESSAGE_OTHER;
    switch (type & kIconMask) {
        case MB_ICONERROR:
            icon = GTK_MESSAGE_ERROR;
            break;
        case MB_ICONWARNING:
            icon = GTK_MESSAGE_WARNING;
            break;
        case MB_ICONQUESTION:
            icon = GTK_MESSAGE_QUESTION;
            break;
        case MB_ICONINFORMATION:
            icon = GTK_MESSAGE_INFO;
            break;
        default:
            break;
    }
    GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, icon, GTK_BUTTONS_NONE, "%s",
                                            text.c_str());
    gtk_window_set_title(GTK_WINDOW(box), caption.c_str());
    gtk_window_set_keep_above(GTK_WINDOW(box), TRUE);
    for (int id : ids) {
        const char* label = id == IDOK       ? "_OK"
                            : id == IDCANCEL ? "_Cancel"
                            : id == IDYES    ? "_Yes"
                                             : "_No";
        gtk_dialog_add_button(GTK_DIALOG(box), g_dgettext("gtk30", label), id);
    }
    gtk_dialog_set_default_response(GTK_DIALOG(box), DefaultButton(type));
    struct State {
        int response = 0;
        bool done = false;
        bool closable = false;
    } state;
    state.closable = !(Fits(type, IDYES) && !Fits(type, IDCANCEL));
    // The close box ends a box that can be closed (as a cancel); the window itself stays
    // until the box is done with it.
    g_signal_connect(box, "delete-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer data) {
                         auto* st = static_cast<State*>(data);
                         if (st->closable) st->done = true;
                         return TRUE;
                     }),
                     &state);
    if (!state.closable) {
        // Esc does not end it either.
        g_signal_connect(box, "close", G_CALLBACK(+[](GtkDialog* d, gpointer) {
                             g_signal_stop_emission_by_name(d, "close");
                         }),
                         nullptr);
    }
    g_signal_connect(box, "response", G_CALLBACK(+[](GtkDialog*, gint response, gpointer data) {
                         auto* st = static_cast<State*>(data);
                         if (response < 0 && !st->closable) return;
                         st->response = response;
                         st->done = true;
                     }),
                     &state);
    gtk_widget_show_all(box);
    gtk_window_present(GTK_WINDOW(box));
    RunModalLoop([&] { return state.done; });
    gtk_widget_destroy(box);
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    if (state.response > 0 && Fits(type, state.response)) return state.response;
    return Fits(type, IDCANCEL) ? IDCANCEL : DefaultButton(type);
}

LRESULT ShowOnThisThread(const char* text, const char* caption, unsigned type) {
    // A missing caption reads "Error", as it does on Windows.
    std::string captionUtf8 = Cp932ToUtf8(caption ? caption : "Error");
    std::string textUtf8 = Cp932ToUtf8(text ? text : "");
    int def = DefaultButton(type);
    int answer = def;
    std::string note;
    bool headless = GetSeams().headless;
    bool shown = false;
    if (headless) {
        int refused = 0;
        if (auto scripted = TakeBoxAnswer([&](int id) { return Fits(type, id); }, &refused)) {
            answer = *scripted;
        } else if (refused) {
            // An answer meant for another kind of box is kept for the box it fits, so one
            // unexpected box does not shift every later answer onto the wrong box.
            note = std::string(" (default; the scripted ") + AnswerName(refused) +
                   " does not fit this box and stays queued)";
        } else {
            note = " (default)";
        }
    } else {
        std::string error;
        ModalScope modal;
        if (auto chosen = ShowGtkBox(captionUtf8, textUtf8, type, &error)) {
            answer = *chosen;
            shown = true;
        } else {
            note = " (default; no display: " + error + ")";
        }
    }

    std::string line =
        "box " + Escape(captionUtf8) + " " + Escape(textUtf8) + " -> " + AnswerName(answer) + note;
    // When no box could appear on a screen, stderr is the only place a person sees it.
    if (!shown) std::fprintf(stderr, "kestrune4: %s\n", line.c_str());
    AppendScriptLog(line);
    {
        std::lock_guard lock(g_boxesMutex);
        g_boxes.push_back(
            BoxRecord{captionUtf8, textUtf8, type, answer, std::this_thread::get_id()});
    }
    return answer;
}

}  // namespace

int MessageBox(HWND /*owner*/, const char* text, const char* caption, unsigned type) {
    // The owner only matters to Windows' z-order; the box is kept above the game window
    // whoever asks. When the process is closing, the box is not shown and answers
    // as if nobody chose: its default button.
    //
    // A sender that gives up (closing) leaves its request queued, and the window thread
    // may still run it later. So the task owns copies of everything it uses, and a request
    // whose sender has already left is dropped instead of showing a box nobody waits for.
    struct Request {
        std::mutex mutex;
        bool started = false;
        bool abandoned = false;
    };
    auto request = std::make_shared<Request>();
    // Also when a terminated thread unwinds out of the wait.
    struct LeaveGuard {
        Request& r;
        ~LeaveGuard() {
            std::lock_guard lock(r.mutex);
            if (!r.started) r.abandoned = true;
        }
    } leave{*request};
    std::optional<std::string> textCopy, captionCopy;
    if (text) textCopy = text;
    if (caption) captionCopy = caption;
    LRESULT result = RunOnWindowThread(
        [request, textCopy, captionCopy, type]() -> LRESULT {
            {
                std::lock_guard lock(request->mutex);
                if (request->abandoned) return 0;
                request->started = true;
            }
            return ShowOnThisThread(textCopy ? textCopy->c_str() : nullptr,
                                    captionCopy ? captionCopy->c_str() : nullptr, type);
        },
        DefaultButton(type));
    return static_cast<int>(result);
}

HWND GetActiveWindow() {
    return IsWindowThread() ? GetMainWindow() : nullptr;
}

int DefaultButton(unsigned type) {
    // A default beyond the box's buttons falls back to the first, as on Windows.
    std::vector<int> ids = ButtonsOf(type);
    std::size_t index = 0;
    switch (type & kDefaultMask) {
        case MB_DEFBUTTON2:
            index = 1;
            break;
        case MB_DEFBUTTON3:
            index = 2;
            break;
        default:
            break;
    }
    return index < ids.size() ? ids[index] : ids[0];
}

std::vector<BoxRecord> ShownBoxes() {
    std::lock_guard lock(g_boxesMutex);
    return g_boxes;
}

void ClearShownBoxes() {
    std::lock_guard lock(g_boxesMutex);
    g_boxes.clear();
}

}  // namespace plat
