// Message boxes on the window thread. SDL's box is modal and blocks the thread that shows
// it, and SDL video calls belong to the window thread, so a box asked elsewhere becomes a
// synchronous request to that thread. Headless, the box never waits for a person: the
// script answers it, or its default button does.
#include "platform/message_box.h"

#include <SDL.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/cp932.h"
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

// Shows the box with SDL; nullopt when SDL cannot (no display).
std::optional<int> ShowSdlBox(const std::string& caption, const std::string& text, unsigned type) {
    std::vector<int> ids = ButtonsOf(type);
    int def = DefaultButton(type);
    bool hasCancel = Fits(type, IDCANCEL);
    std::vector<SDL_MessageBoxButtonData> buttons;
    for (int id : ids) {
        SDL_MessageBoxButtonData b{};
        b.buttonid = id;
        b.text = id == IDOK ? "OK" : id == IDCANCEL ? "Cancel" : id == IDYES ? "Yes" : "No";
        if (id == def) b.flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        // Esc means Cancel, or OK on a box that has nothing else.
        if (id == IDCANCEL || (!hasCancel && ids.size() == 1))
            b.flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        buttons.push_back(b);
    }
    Uint32 flags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    switch (type & kIconMask) {
        case MB_ICONERROR:
            flags |= SDL_MESSAGEBOX_ERROR;
            break;
        case MB_ICONWARNING:
            flags |= SDL_MESSAGEBOX_WARNING;
            break;
        case MB_ICONQUESTION:
        case MB_ICONINFORMATION:
            flags |= SDL_MESSAGEBOX_INFORMATION;
            break;
        default:
            break;
    }
    SDL_MessageBoxData data{};
    data.flags = flags;
    // Owned by the window that has the focus, so the box comes up above the game.
    data.window = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetKeyboardFocus() : nullptr;
    data.title = caption.c_str();
    data.message = text.c_str();
    data.numbuttons = static_cast<int>(buttons.size());
    data.buttons = buttons.data();
    int chosen = -1;
    if (SDL_ShowMessageBox(&data, &chosen) < 0) return std::nullopt;
    // Closed without a button (the window manager's close): as Windows does, that is
    // Cancel where the box has one, and the default button otherwise.
    if (chosen < 0) return hasCancel ? IDCANCEL : def;
    return chosen;
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
    } else if (auto chosen = ShowSdlBox(captionUtf8, textUtf8, type)) {
        answer = *chosen;
        shown = true;
    } else {
        note = std::string(" (default; no display: ") + SDL_GetError() + ")";
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
    // The owner only matters to Windows' z-order; SDL's box is placed over the focused
    // window whoever asks. When the process is closing, the box is not shown and answers
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
