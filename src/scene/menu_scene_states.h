// A menu scene's frame: the menu auto-repeat and the button latch of input 0, Enter on the
// first frame, then the handler of the current state. The scene's images are released when
// the scene object goes.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "base/input.h"
#include "gfx/surface_tables.h"
#include "scene/scene.h"

// The menu buttons of input 0.
inline constexpr std::uint16_t kMenuConfirm = 1;
inline constexpr std::uint16_t kMenuCancel = 2;
inline constexpr std::uint16_t kMenuButton3 = 4;
inline constexpr std::uint16_t kMenuButton4 = 8;

template <class Derived, int N>
class cMenuSceneStates : public cSceneStates<Derived, N> {
public:
    ~cMenuSceneStates() override {
        for (int i : m_vecImages) DDReleaseSurface(&StdSD[i]);
    }
    void Run() override {
        cInput& input = InputList[0];
        input.ApplyRepeat();
        input.LatchButtons(m_nLatchMask);
        if (this->m_nState == -1) this->EnterGuarded();
        this->CallStateHandler();
    }

protected:
    cMenuSceneStates(int nLatchMask, std::initializer_list<int> images)
        : m_nLatchMask(nLatchMask), m_vecImages(images) {}
    // The common steps of Enter with this scene's images.
    bool EnterCommon(int nMusicIndex) {
        return cMenuSceneBase::EnterCommon(nMusicIndex, m_vecImages.data(),
                                           static_cast<int>(m_vecImages.size()));
    }

    const int m_nLatchMask;
    const std::vector<int> m_vecImages;
};
