// The code language over hostile bytes: the first byte chooses the world (a target for the
// executing actor, a hero, the hero as the executing actor), the rest is the text. Any text
// must run to an end without a crash, a hang or a box of its own making, and report its
// failure consistently.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

#include "flow/expression_language.h"
#include "platform/message_box.h"
#include "platform/seams.h"
#include "scene/game_progress.h"
#include "stage/actor.h"
#include "stage/engine_globals.h"
#include "stage/game_scene.h"
#include "stage/stage_objects.h"

namespace {

struct World {
    std::unique_ptr<cGameScene> scene;
    cCharaActor self;
    cCharaActor other;

    World() {
        plat::Seams seams;
        seams.headless = true;
        plat::SetSeams(seams);
        ResetEngineGlobals();
        scene = std::make_unique<cGameScene>();
        lpGame = scene.get();
    }

    void Reset(unsigned choice) {
        self.ReleaseTargets();
        other.ReleaseTargets();
        for (cCharaActor* a : {&self, &other}) {
            a->m_nOperator = 1;
            a->m_vecVar.resize(kCharaVarCount, 0);
            a->m_Chara.nMaxHp = 100;
            a->m_Chara.nMaxSp = 40;
            a->m_nHp = 50;
            a->m_nSp = 10;
        }
        if (choice & 1) {
            self.m_pTarget = &other;
            other.m_vecTargetedBy.push_back(&self);
        }
        if (choice & 2) {
            Player.Reset(1);
            Player[0].m_vecVar.resize(kCharaVarCount, 0);
            Player[0].m_Chara.nMaxHp = 30;
            Player[0].m_nHp = 30;
        } else {
            Player.Clear();
        }
        Progress.m_nLives = (choice & 8) ? kUnlimitedLives : 3;
        plat::ClearShownBoxes();
        ResetCodeErrorReports();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static World world;
    if (size == 0) return 0;
    const unsigned choice = data[0];
    world.Reset(choice);
    cActorBase* actor = &world.self;
    if ((choice & 4) && !Player.Empty()) actor = &Player[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const int ok = RunCode(text, actor);
    if (ok != (bCodeError ? 0 : 1) || plat::ShownBoxes().size() > 1) {
        std::fprintf(stderr, "run %d with error flag %d and %zu boxes\n", ok, bCodeError,
                     plat::ShownBoxes().size());
        __builtin_trap();
    }
    return 0;
}
