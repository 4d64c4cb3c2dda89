// The edit control's rule of a change, as pure logic over one table of cases, and the control
// itself in a dialog on the in-memory face: a bound value cut at set-up, typing refused past
// the limits, and a character the game's text cannot hold refused.
#include "base/edit_control.h"

#include <gtest/gtest.h>

#include <string>

#include "base/dialog_base.h"
#include "base/test_dialog.h"
#include "platform/cp932.h"
#include "platform/dialog.h"
#include "platform/platform_state.h"
#include "platform/seams.h"

namespace {

struct ChangeCase {
    const char* what;
    EditLimits limits;
    std::string accepted;
    EditText changed;
    bool backspace;
    EditText expected;
};

const EditLimits kName{3, 1, true};  // the ranking name: 3 characters on 1 line
const EditLimits kFivePerLine{5, 3, false};
const EditLimits kTwoLines{5, 2, false};

TEST(EditChange, FollowsTheLimitsOfLinesAndCharacters) {
    const ChangeCase cases[] = {
        {"name: a fourth letter is refused, caret after the third",
         kName,
         "abc",
         {"abcd", 4, 4},
         false,
         {"abc", 3, 3}},
        {"name: a fourth double-byte character is refused",
         kName,
         "あいう",
         {"あいう", 8, 8},
         false,
         {"あいう", 6, 6}},
        {"name: one double-byte and two single-byte characters fit",
         kName,
         "あb",
         {"あbc", 4, 4},
         false,
         {"あbc", 4, 4}},
        {"a sixth character wraps onto a new line, caret after it",
         kFivePerLine,
         "abcde",
         {"abcdef", 6, 6},
         false,
         {"abcde\r\nf", 8, 8}},
        {"a middle insert pushes the last character onto the next line",
         kFivePerLine,
         "abcde\r\nxy",
         {"abXcde\r\nxy", 3, 3},
         false,
         {"abXcd\r\nexy", 3, 3}},
        {"a third line is undone, the caret clamped to the text",
         kTwoLines,
         "abc\r\nde",
         {"abc\r\nd\r\ne", 8, 8},
         false,
         {"abc\r\nde", 7, 7}},
        {"Backspace at the start of a line below a full one does nothing",
         kTwoLines,
         "abcde\r\nfg",
         {"abcdefg", 5, 5},
         true,
         {"abcde\r\nfg", 5, 5}},
        {"Backspace below a shorter line joins them and wraps the rest",
         kTwoLines,
         "abcd\r\nfg",
         {"abcdfg", 4, 4},
         true,
         {"abcdf\r\ng", 4, 4}},
        {"the same text typed, not joined by Backspace, wraps",
         kTwoLines,
         "abcde\r\nfg",
         {"abcdefg", 5, 5},
         false,
         {"abcde\r\nfg", 7, 7}},
        {"a caret on a line feed moves past it",
         kFivePerLine,
         "ab\r\ncd",
         {"ab\r\ncd", 3, 3},
         false,
         {"ab\r\ncd", 4, 4}},
        {"no limits: anything goes",
         EditLimits{0, 0, false},
         "",
         {"whatever you type", 3, 5},
         false,
         {"whatever you type", 3, 5}},
    };
    for (const ChangeCase& c : cases) {
        const EditText out = ApplyEditChange(c.limits, c.accepted, c.changed, c.backspace, false);
        EXPECT_EQ(out.text, c.expected.text) << c.what;
        EXPECT_EQ(out.nStart, c.expected.nStart) << c.what;
        EXPECT_EQ(out.nEnd, c.expected.nEnd) << c.what;
    }
}

TEST(EditChange, AnOverLongBoundValueIsCutWhileInitialising) {
    const EditText out = ApplyEditChange(kName, "abcdef", EditText{"abcdef", 0, 0}, false, true);
    EXPECT_EQ(out.text, "abc");
    const EditText dbcs = ApplyEditChange(kName, "あいうえ", EditText{"あいう", 0, 0}, false, true);
    EXPECT_EQ(dbcs.text, "あいう");
}

// A dialog with one name field, driven from inside its own initialisation: the steps type into
// the field as a person would, and the control's state is read after each.
class NameDialog : public TestDialog<NameDialog> {
public:
    std::string name;
    cCtrlEdit edit;
    std::vector<std::pair<std::string, std::string>> steps;  // typed, or "\b"
    std::vector<std::string> seen;                           // the field after each step
    std::vector<int> carets;

    plat::LRESULT OnInitDialog(plat::WPARAM w, plat::LPARAM l) override {
        DLG_CLASS::OnInitDialog(w, l);
        EditCtrlDesc desc;
        desc.Set(kField, &name, 3, 1);
        edit.Init(this, desc);
        Controls.push_back(&edit);
        seen.push_back(plat::GetDlgItemText(hWnd, kField, 64));
        plat::SetEditSel(hWnd, kField, -1, -1);  // the caret at the end
        for (const auto& step : steps) {
            if (step.first == "\b")
                plat::BackspaceInDlgItem(hWnd, kField);
            else
                plat::TypeIntoDlgItem(hWnd, kField, plat::Cp932ToUtf8(step.first));
            seen.push_back(plat::GetDlgItemText(hWnd, kField, 64));
            int start = 0, end = 0;
            plat::GetEditSel(hWnd, kField, &start, &end);
            carets.push_back(start);
        }
        FromControls();
        End(1);
        return 1;
    }
    static constexpr int kField = 1003;

protected:
    const plat::DlgTemplate& Template() const override {
        static const plat::DlgTemplate t{
            "name", 100, 40, {{kField, plat::DlgItemKind::Edit, "", 5, 5, 60, 12, "text", ""}}};
        return t;
    }
};

class EditInDialog : public ::testing::Test {
protected:
    void SetUp() override {
        plat::Seams seams;
        seams.headless = true;
        plat::SetSeams(seams);
        plat::ResetPlatformState();
    }
    void TearDown() override { plat::SetSeams(plat::Seams{}); }
};

TEST_F(EditInDialog, TypingIntoTheNameFieldKeepsThreeCharacters) {
    NameDialog dialog;
    dialog.name = "abcdef";  // over-long: cut at set-up
    dialog.steps = {{"\b", ""}, {"x", ""}, {"y", ""}, {"あ", ""}};
    ASSERT_EQ(dialog.DoModal(0), 1);
    ASSERT_EQ(dialog.seen.size(), 5u);
    EXPECT_EQ(dialog.seen[0], "abc");
    EXPECT_EQ(dialog.seen[1], "ab");
    EXPECT_EQ(dialog.seen[2], "abx");
    EXPECT_EQ(dialog.seen[3], "abx");  // a fourth character is refused
    EXPECT_EQ(dialog.carets[2], 3);
    EXPECT_EQ(dialog.seen[4], "abx");
    EXPECT_EQ(dialog.name, "abx");
}

TEST_F(EditInDialog, ACharacterTheGameTextCannotHoldIsRefused) {
    NameDialog dialog;
    dialog.name = "a";
    dialog.steps = {{"\x80", ""}, {"い", ""}};  // U+FFFD (which CP932 lacks), then a kana
    ASSERT_EQ(dialog.DoModal(0), 1);
    EXPECT_EQ(dialog.seen[1], "a");
    EXPECT_EQ(dialog.carets[0], 1);
    EXPECT_EQ(dialog.seen[2], "aい");
    EXPECT_EQ(dialog.name, "aい");
}

}  // namespace
