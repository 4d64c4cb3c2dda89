// The in-memory face of a dialog: every control's state kept as data, driven by the script
// or by tests. Edit positions are characters of the UTF-8 text, as in a real edit widget.
#include <algorithm>
#include <vector>

#include "platform/cp932.h"
#include "platform/dialog_face.h"

namespace plat {
namespace {

// Code point boundaries of UTF-8 text: the byte offset of character `index`.
std::size_t ByteOfChar(const std::string& text, int index) {
    std::size_t pos = 0;
    for (int i = 0; i < index && pos < text.size(); ++i) {
        ++pos;
        while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) ++pos;
    }
    return pos;
}

int CharCount(const std::string& text) {
    int n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

class ModelDialogFace final : public DialogFace {
public:
    bool Build(const DlgTemplate& dialog, DialogFaceEvents events) override {
        events_ = std::move(events);
        for (const DlgItem& item : dialog.items)
            items_.push_back(Item{item, Cp932ToUtf8(item.text), false, 0, 0, true});
        return true;
    }
    void Show() override {}
    void SetTitle(const std::string& text) override { title_ = text; }
    std::string Title() const override { return title_; }
    void SetText(int id, const std::string& text) override {
        if (Item* item = Find(id)) {
            item->text = text;
            item->selStart = item->selEnd = 0;
        }
    }
    std::string Text(int id) const override {
        const Item* item = Find(id);
        return item ? item->text : std::string();
    }
    void SetCheck(int id, bool on) override {
        if (Item* item = Find(id)) item->checked = on;
    }
    bool Checked(int id) const override {
        const Item* item = Find(id);
        return item && item->checked;
    }
    void SetSelection(int id, int start, int end) override {
        if (Item* item = Find(id)) {
            const int n = CharCount(item->text);
            item->selStart = start < 0 || start > n ? n : start;
            item->selEnd = end < 0 || end > n ? n : end;
        }
    }
    void Selection(int id, int* start, int* end) const override {
        const Item* item = Find(id);
        *start = item ? item->selStart : 0;
        *end = item ? item->selEnd : 0;
    }
    void Enable(int id, bool on) override {
        if (Item* item = Find(id)) item->enabled = on;
    }
    RECT ItemRect(int id) const override {
        const Item* item = Find(id);
        if (!item) return RECT{};
        const int x = DialogUnitsToPixelsX(item->def.x), y = DialogUnitsToPixelsY(item->def.y);
        return RECT{x, y, x + DialogUnitsToPixelsX(item->def.cx),
                    y + DialogUnitsToPixelsY(item->def.cy)};
    }
    void Move(const RECT&) override {}
    bool BackspaceDown() const override { return backspace_; }

    void Click(int id) override {
        Item* item = Find(id);
        if (!item || !item->enabled) return;
        if (item->def.kind == DlgItemKind::Radio) {
            // The template's radio buttons form one group.
            for (Item& other : items_)
                if (other.def.kind == DlgItemKind::Radio) other.checked = false;
            item->checked = true;
        } else if (item->def.kind == DlgItemKind::CheckBox) {
            item->checked = !item->checked;
        }
        if (events_.command) events_.command(id, BN_CLICKED);
    }
    void Type(int id, const std::string& text) override {
        Item* item = Find(id);
        if (!item || !item->enabled || item->def.kind != DlgItemKind::Edit) return;
        const int lo = std::min(item->selStart, item->selEnd);
        const int hi = std::max(item->selStart, item->selEnd);
        const std::size_t from = ByteOfChar(item->text, lo), to = ByteOfChar(item->text, hi);
        item->text = item->text.substr(0, from) + text + item->text.substr(to);
        item->selStart = item->selEnd = lo + CharCount(text);
        if (events_.command) events_.command(id, EN_UPDATE);
    }
    void Backspace(int id) override {
        Item* item = Find(id);
        if (!item || !item->enabled || item->def.kind != DlgItemKind::Edit) return;
        int lo = std::min(item->selStart, item->selEnd);
        const int hi = std::max(item->selStart, item->selEnd);
        if (lo == hi) {
            if (lo == 0) return;
            --lo;
        }
        const std::size_t from = ByteOfChar(item->text, lo), to = ByteOfChar(item->text, hi);
        item->text.erase(from, to - from);
        item->selStart = item->selEnd = lo;
        backspace_ = true;
        if (events_.command) events_.command(id, EN_UPDATE);
        backspace_ = false;
    }
    void RunUntil(const std::function<bool()>&) override {}

private:
    struct Item {
        DlgItem def;
        std::string text;
        bool checked;
        int selStart, selEnd;
        bool enabled;
    };
    Item* Find(int id) {
        for (Item& item : items_)
            if (item.def.id == id) return &item;
        return nullptr;
    }
    const Item* Find(int id) const {
        for (const Item& item : items_)
            if (item.def.id == id) return &item;
        return nullptr;
    }

    DialogFaceEvents events_;
    std::vector<Item> items_;
    std::string title_;
    bool backspace_ = false;
};

}  // namespace

std::unique_ptr<DialogFace> MakeModelDialogFace() {
    return std::make_unique<ModelDialogFace>();
}

}  // namespace plat
