// The input script reader on arbitrary bytes: it must neither fault nor hand out a line
// that breaks what the runtime relies on (frames from 1, sorted; answers that are buttons).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/message_box.h"
#include "platform/script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    plat::Script s = plat::ParseScript(std::string_view(reinterpret_cast<const char*>(data), size));
    int previous = 1;
    for (const plat::ScriptInput& in : s.inputs) {
        if (in.frame < previous) __builtin_trap();
        previous = in.frame;
        if (in.kind == plat::ScriptInput::Key && (in.key == 0 || in.key > 0xFF)) __builtin_trap();
        if (in.kind == plat::ScriptInput::Joy &&
            (in.joy < 0 || in.joy > 15 || in.x > 0xFFFF || in.y > 0xFFFF))
            __builtin_trap();
    }
    for (int id : s.boxAnswers)
        if (id != plat::IDOK && id != plat::IDCANCEL && id != plat::IDYES && id != plat::IDNO)
            __builtin_trap();
    // Each line gives at most one input, answer or error; there are at most size + 1 lines.
    if (s.inputs.size() + s.boxAnswers.size() + s.dialogAnswers.size() + s.errors.size() > size + 1)
        __builtin_trap();
    return 0;
}
