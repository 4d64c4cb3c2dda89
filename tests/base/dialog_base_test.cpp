// The dialog base on the in-memory face: values bound to radio buttons and a check box go
// into the controls and back, the script's answers set the controls and press a button, an
// answer of another kind waits for its dialog, and the re-entry guards hold.
#include "base/dialog_base.h"

#include <gtest/gtest.h>

#include <string>

#include "base/test_dialog.h"
#include "platform/dialog.h"
#include "platform/platform_state.h"
#include "platform/script_state.h"
#include "platform/seams.h"

namespace {

constexpr int kOk = 1;
constexpr int kCancel = 2;
constexpr int kRed = 10;
constexpr int kBlue = 11;
constexpr int kFlag = 12;

class ColourDialog : public TestDialog<ColourDialog> {
public:
    int colour = 0;  // 1 red, 2 blue
    int flag = 0;
    cCtrlRadio red, blue;
    cCtrlCheckBox check;
    // Observations.
    int shownRed = -1, shownBlue = -1, shownFlag = -1;
    plat::LRESULT nestedModal = -1;
    plat::LRESULT nestedCommand = -1;
    int commands = 0;

    plat::LRESULT OnInitDialog(plat::WPARAM w, plat::LPARAM l) override {
        DLG_CLASS::OnInitDialog(w, l);
        red.Attach(this, kRed);
        red.Bind(&colour, 1);
        blue.Attach(this, kBlue);
        blue.Bind(&colour, 2);
        check.Attach(this, kFlag);
        check.Bind(&flag);
        Controls.push_back(&red);
        Controls.push_back(&blue);
        Controls.push_back(&check);
        ToControls();
        shownRed = plat::IsDlgButtonChecked(hWnd, kRed);
        shownBlue = plat::IsDlgButtonChecked(hWnd, kBlue);
        shownFlag = plat::IsDlgButtonChecked(hWnd, kFlag);
        nestedModal = DoModal(0);  // the dialog has a window: refused
        return 1;
    }
    void OnCommand(plat::WPARAM w, plat::LPARAM l) override {
        DLG_CLASS::OnCommand(w, l);
        ++commands;
        if (plat::LOWORD(w) == kOk) {
            // A command sent while this one is handled is refused.
            nestedCommand =
                plat::SendMessage(hWnd, plat::WM_COMMAND, plat::MAKEWPARAM(kCancel, 0), 0);
            FromControls();
            End(1);
        } else if (plat::LOWORD(w) == kCancel) {
            End(0);
        }
    }

protected:
    const plat::DlgTemplate& Template() const override {
        using K = plat::DlgItemKind;
        static const plat::DlgTemplate t{
            "colour",
            120,
            80,
            {{kOk, K::DefButton, "OK", 10, 50, 40, 14, "ok", ""},
             {kCancel, K::Button, "Cancel", 60, 50, 40, 14, "cancel", ""},
             {kRed, K::Radio, "Red", 10, 10, 40, 10, "colour", "red"},
             {kBlue, K::Radio, "Blue", 60, 10, 40, 10, "colour", "blue"},
             {kFlag, K::CheckBox, "Flag", 10, 30, 40, 10, "flag", ""}}};
        return t;
    }
};

class DialogBase : public ::testing::Test {
protected:
    void SetUp() override {
        plat::Seams seams;
        seams.headless = true;
        plat::SetSeams(seams);
        plat::ResetPlatformState();
    }
    void TearDown() override {
        plat::SetSeams(plat::Seams{});
        plat::ResetPlatformState();
    }
};

TEST_F(DialogBase, BoundValuesGoIntoTheControlsAndBack) {
    struct Case {
        const char* script;
        int colour, flag;  // before
        int shownRed, shownBlue, shownFlag;
        plat::LRESULT result;
        int colourAfter, flagAfter;
    };
    const Case cases[] = {
        // The default button: the values come back as shown.
        {"", 2, 1, 0, 1, 1, 1, 2, 1},
        {"dialog colour ok colour=red flag=0", 2, 1, 0, 1, 1, 1, 1, 0},
        {"dialog colour ok colour=blue flag=1", 1, 0, 1, 0, 0, 1, 2, 1},
        // A value that no radio button holds checks none; reading back leaves it.
        {"dialog colour ok", 7, 0, 0, 0, 0, 1, 7, 0},
        {"dialog colour cancel colour=red", 2, 0, 0, 1, 0, 0, 2, 0},
        {"dialog colour close flag=1", 2, 0, 0, 1, 0, 0, 2, 0},
    };
    for (const Case& c : cases) {
        plat::LoadScriptText(c.script, "");
        ColourDialog dialog;
        dialog.colour = c.colour;
        dialog.flag = c.flag;
        EXPECT_EQ(dialog.DoModal(0), c.result) << c.script;
        EXPECT_EQ(dialog.shownRed, c.shownRed) << c.script;
        EXPECT_EQ(dialog.shownBlue, c.shownBlue) << c.script;
        EXPECT_EQ(dialog.shownFlag, c.shownFlag) << c.script;
        EXPECT_EQ(dialog.colour, c.colourAfter) << c.script;
        EXPECT_EQ(dialog.flag, c.flagAfter) << c.script;
        EXPECT_EQ(dialog.hWnd, nullptr);
    }
}

TEST_F(DialogBase, ReentryIsRefused) {
    plat::LoadScriptText("dialog colour ok", "");
    ColourDialog dialog;
    EXPECT_EQ(dialog.DoModal(0), 1);
    EXPECT_EQ(dialog.nestedModal, 0);
    EXPECT_EQ(dialog.nestedCommand, 0);
    // Only the OK press reached the handler (the radio clicks of no answer make none).
    EXPECT_EQ(dialog.commands, 1);
}

TEST_F(DialogBase, AnAnswerOfAnotherKindWaitsForItsDialog) {
    plat::LoadScriptText("dialog start cancel\ndialog colour cancel\n", "");
    ColourDialog first;
    EXPECT_EQ(first.DoModal(0), 1);  // the default button: the answer is not for it
    auto shown = plat::ShownDialogs();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].answer, "default ok");
    // The start answer is still first in the queue.
    auto next = plat::TakeDialogAnswer();
    EXPECT_EQ(next, std::optional<std::string>("start cancel"));
    ColourDialog second;
    EXPECT_EQ(second.DoModal(0), 0);
    EXPECT_EQ(plat::ShownDialogs().back().answer, "cancel");
}

TEST_F(DialogBase, FindControlByIdFindsTheControlOrNone) {
    CheckedVector<cCtrlBase*> none;
    cCtrlPlain plain;
    plain.nId = 5;
    none.push_back(&plain);
    EXPECT_EQ(FindControlById(none, 5), &plain);
    EXPECT_EQ(FindControlById(none, 6), nullptr);
}

}  // namespace
