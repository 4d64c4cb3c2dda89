#include "platform/file_chooser.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cstdio>

#include "platform/cp932.h"
#include "platform/gtk_ui.h"
#include "platform/host_path.h"
#include "platform/message_box.h"
#include "platform/modal_scope.h"
#include "platform/script_state.h"
#include "platform/seams.h"

namespace plat {
namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Glob with '*' and '?' over bytes.
bool Glob(const char* p, const char* n) {
    if (*p == '\0') return *n == '\0';
    if (*p == '*') return Glob(p + 1, n) || (*n != '\0' && Glob(p, n + 1));
    if (*n == '\0') return false;
    return (*p == '?' || *p == *n) && Glob(p + 1, n + 1);
}

std::string KindOf(const FileChooserRequest& request) {
    return request.save ? "save" : "open";
}

void Log(const FileChooserRequest& request, const std::string& what) {
    const std::string line = "dialog " + KindOf(request) + " -> " + what;
    AppendScriptLog(line);
    if (!GetSeams().headless && what.find("no display") != std::string::npos)
        std::fprintf(stderr, "kestrune4: %s\n", line.c_str());
}

// The result for a chosen path: too long a path is a failed dialog.
FileChooserResult Chosen(const std::string& absolute) {
    FileChooserResult result;
    if (absolute.size() > kMaxChosenPath) {
        result.failed = true;
        return result;
    }
    result.chosen = true;
    result.path = absolute;
    return result;
}

// Save: an existing file is replaced only when the user agrees.
bool ConfirmOverwrite(const std::string& path) {
    if (!IsRegularFile(path)) return true;
    const std::string text = path + " は既に存在します。\n上書きしますか?";
    return MessageBox(nullptr, text.c_str(), "名前を付けて保存",
                      MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

FileChooserResult Scripted(const FileChooserRequest& request) {
    const std::string kind = KindOf(request);
    auto answer = TakeDialogAnswer([&](const std::string& line) {
        return Lower(line.substr(0, kind.size())) == kind &&
               (line.size() == kind.size() || line[kind.size()] == ' ');
    });
    FileChooserResult result;
    if (!answer) {
        Log(request, "cancel (default)");
        return result;
    }
    std::string path = answer->substr(kind.size());
    while (!path.empty() && path.front() == ' ') path.erase(0, 1);
    if (Lower(path) == "cancel" || path.empty()) {
        Log(request, "cancel");
        return result;
    }
    result = Chosen(AbsoluteProgramPath(Utf8ToCp932(path)));
    if (result.chosen && request.save && !ConfirmOverwrite(result.path)) result = {};
    Log(request, result.failed   ? "failed (path too long)"
                 : result.chosen ? Cp932ToUtf8(result.path)
                                 : "cancel");
    return result;
}

gboolean FilterMatches(const GtkFileFilterInfo* info, gpointer data) {
    const char* name = info->display_name;
    if (!name) return FALSE;
    // A name the game's text cannot hold is not offered.
    const std::string cp932 = Utf8ToCp932(name);
    if (Cp932ToUtf8(cp932) != name) return FALSE;
    return MatchesFilePatterns(cp932, *static_cast<std::string*>(data)) ? TRUE : FALSE;
}

FileChooserResult Gtk(const FileChooserRequest& request) {
    FileChooserResult result;
    std::string error;
    if (!EnsureGtk(&error)) {
        Log(request, "cancel (no display: " + error + ")");
        return result;
    }
    const bool save = request.save;
    GtkWidget* dialog = gtk_file_chooser_dialog_new(
        Cp932ToUtf8(request.title).c_str(), nullptr,
        save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN,
        g_dgettext("gtk30", "_Cancel"), GTK_RESPONSE_CANCEL,
        g_dgettext("gtk30", save ? "_Save" : "_Open"), GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, TRUE);
    gtk_file_chooser_set_local_only(chooser, TRUE);
    std::vector<std::string*> patterns;
    for (const auto& [description, pattern] : request.filters) {
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, Cp932ToUtf8(description).c_str());
        patterns.push_back(new std::string(pattern));
        gtk_file_filter_add_custom(filter, GTK_FILE_FILTER_DISPLAY_NAME, FilterMatches,
                                   patterns.back(), nullptr);
        gtk_file_chooser_add_filter(chooser, filter);
    }
    const std::string folder = MapPath(AbsoluteProgramPath(request.initialFolder));
    gtk_file_chooser_set_current_folder(chooser, folder.c_str());
    if (save && !request.proposedName.empty())
        gtk_file_chooser_set_current_name(chooser, Cp932ToUtf8(request.proposedName).c_str());
    struct State {
        int response = 0;
        bool done = false;
    } state;
    g_signal_connect(dialog, "response", G_CALLBACK(+[](GtkDialog*, gint r, gpointer data) {
                         auto* st = static_cast<State*>(data);
                         st->response = r;
                         st->done = true;
                     }),
                     &state);
    gtk_widget_show_all(dialog);
    RunModalLoop([&] { return state.done; });
    if (state.response == GTK_RESPONSE_ACCEPT) {
        if (char* file = gtk_file_chooser_get_filename(chooser)) {
            std::string host = file;
            g_free(file);
            std::string path = Utf8ToCp932(host);
            for (char& c : path)
                if (c == '/') c = '\\';
            result = Chosen(path);
        }
    }
    gtk_widget_destroy(dialog);
    for (std::string* p : patterns) delete p;
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    Log(request, result.failed   ? "failed (path too long)"
                 : result.chosen ? Cp932ToUtf8(result.path)
                                 : "cancel");
    return result;
}

}  // namespace

std::string AbsoluteProgramPath(const std::string& path) {
    std::string p = path;
    for (char& c : p)
        if (c == '/') c = '\\';
    if (!p.empty() && p.front() == '\\') return p;
    std::string base = Utf8ToCp932(CurrentDirectory());
    for (char& c : base)
        if (c == '/') c = '\\';
    while (p.rfind(".\\", 0) == 0) p.erase(0, 2);
    if (p.empty() || p == ".") return base;
    if (!base.empty() && base.back() != '\\') base += '\\';
    return base + p;
}

bool MatchesFilePatterns(const std::string& name, const std::string& patterns) {
    const std::string lower = Lower(name);
    std::size_t pos = 0;
    while (pos <= patterns.size()) {
        const std::size_t end = std::min(patterns.find(';', pos), patterns.size());
        const std::string pattern = Lower(patterns.substr(pos, end - pos));
        if (!pattern.empty() && Glob(pattern.c_str(), lower.c_str())) return true;
        pos = end + 1;
    }
    return false;
}

FileChooserResult ChooseFile(const FileChooserRequest& request) {
    ModalScope modal;
    return GetSeams().headless ? Scripted(request) : Gtk(request);
}

}  // namespace plat
