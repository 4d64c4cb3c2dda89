#include "platform/audio_mixer.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/clock.h"
#include "platform/seams.h"
#include "platform/wav_writer.h"

namespace plat {
namespace {

// The most frames mixed in one pass; a longer catch-up takes several.
constexpr std::size_t kMaxBlock = 4096;

struct Mixer {
    std::mutex mutex;
    std::vector<AudioSource*> sources;
    AudioDevice device = AudioDevice::Closed;
    SDL_AudioDeviceID sdlDevice = 0;
    std::int64_t originMicros = 0;  // the clock when the null device opened
    std::uint64_t mixedFrames = 0;
    std::vector<std::int32_t> acc;
    std::vector<std::int16_t> out;
    WavWriter wav;
    std::string description;  // which device opened, and why
    bool ended = false;       // EndAudioAtQuit: the null device mixes no more
};

Mixer& TheMixer() {
    static Mixer* mixer = new Mixer;  // never destroyed: the SDL thread may still call in
    return *mixer;
}

// Mixes `frames` (at most kMaxBlock) into m.out; the lock is held.
void MixBlockLocked(Mixer& m, std::size_t frames) {
    m.acc.assign(frames * 2, 0);
    for (AudioSource* s : m.sources) s->MixInto(m.acc.data(), frames);
    m.out.resize(frames * 2);
    for (std::size_t i = 0; i < frames * 2; ++i) m.out[i] = SaturateSample(m.acc[i]);
    m.mixedFrames += frames;
    if (m.wav.IsOpen()) m.wav.Append(m.out.data(), frames);
}

void SdlCallback(void*, Uint8* stream, int len) {
    Mixer& m = TheMixer();
    std::lock_guard lock(m.mutex);
    std::size_t frames = static_cast<std::size_t>(len) / 4;
    auto* dst = reinterpret_cast<std::int16_t*>(stream);
    while (frames > 0) {
        const std::size_t n = std::min(frames, kMaxBlock);
        MixBlockLocked(m, n);
        std::copy(m.out.begin(), m.out.end(), dst);
        dst += n * 2;
        frames -= n;
    }
}

bool OpenSdlDevice(Mixer& m, std::string* why) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        *why = SDL_GetError();
        return false;
    }
    SDL_AudioSpec want{};
    want.freq = kMixRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = SdlCallback;
    SDL_AudioSpec have{};
    // SDL converts to whatever the card wants.
    m.sdlDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (m.sdlDevice == 0) {
        *why = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    return true;
}

// The clock's hook: the null device follows the game clock.
void OnClockMoved() {
    CatchUpAudio();
}

}  // namespace

std::int32_t VolumeToGain(std::int32_t v) {
    if (v <= -10000) return 0;
    if (v >= 0) return 65536;
    return static_cast<std::int32_t>(std::lround(65536.0 * std::pow(10.0, v / 2000.0)));
}

std::mutex& AudioMutex() {
    return TheMixer().mutex;
}

AudioDevice OpenAudio(std::string* what) {
    Mixer& m = TheMixer();
    std::string why;
    {
        std::lock_guard lock(m.mutex);
        if (m.device != AudioDevice::Closed) {
            if (what)
                *what = m.device == AudioDevice::Sdl ? "SDL audio device" : "null audio device";
            return m.device;
        }
        m.mixedFrames = 0;
        m.ended = false;
        const Seams& seams = GetSeams();
        if (!seams.audioOutPath.empty() && !m.wav.Open(seams.audioOutPath, kMixRate))
            why = "K4_AUDIO_OUT cannot be written: " + seams.audioOutPath;
        if (seams.headless) {
            m.device = AudioDevice::Null;
            m.description = "null audio device (headless)";
        } else {
            std::string sdlWhy;
            if (OpenSdlDevice(m, &sdlWhy)) {
                m.device = AudioDevice::Sdl;
                m.description = "SDL audio device";
            } else {
                m.device = AudioDevice::Null;
                m.description = "null audio device (no sound device: " + sdlWhy + ")";
            }
        }
        m.originMicros = QueryPerformanceCounter();
        if (!why.empty()) m.description += "; " + why;
        if (what) *what = m.description;
    }
    if (CurrentAudioDevice() == AudioDevice::Sdl)
        SDL_PauseAudioDevice(m.sdlDevice, 0);
    else
        SetClockMovedHook(OnClockMoved);
    return CurrentAudioDevice();
}

void CloseAudio() {
    Mixer& m = TheMixer();
    SDL_AudioDeviceID sdl = 0;
    {
        std::lock_guard lock(m.mutex);
        if (m.device == AudioDevice::Closed) return;
        CatchUpAudioLocked();
        sdl = m.sdlDevice;
        m.sdlDevice = 0;
        if (m.device == AudioDevice::Null) SetClockMovedHook(nullptr);
        m.device = AudioDevice::Closed;
    }
    if (sdl != 0) {
        // Closing waits for a running callback, which takes the lock: outside it.
        SDL_CloseAudioDevice(sdl);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    std::lock_guard lock(m.mutex);
    m.wav.Close();
}

AudioDevice CurrentAudioDevice() {
    Mixer& m = TheMixer();
    std::lock_guard lock(m.mutex);
    return m.device;
}

void CatchUpAudioLocked() {
    Mixer& m = TheMixer();
    if (m.device != AudioDevice::Null || m.ended) return;
    const std::int64_t elapsed = QueryPerformanceCounter() - m.originMicros;
    if (elapsed <= 0) return;
    const std::uint64_t due = static_cast<std::uint64_t>(elapsed) * kMixRate / 1000000u;
    while (m.mixedFrames < due) {
        MixBlockLocked(
            m, static_cast<std::size_t>(std::min<std::uint64_t>(due - m.mixedFrames, kMaxBlock)));
    }
}

void CatchUpAudio() {
    std::lock_guard lock(TheMixer().mutex);
    CatchUpAudioLocked();
}

std::uint64_t MixedAudioFrames() {
    std::lock_guard lock(TheMixer().mutex);
    return TheMixer().mixedFrames;
}

void MixAudioFrames(std::int16_t* out, std::size_t frames) {
    Mixer& m = TheMixer();
    std::lock_guard lock(m.mutex);
    while (frames > 0) {
        const std::size_t n = std::min(frames, kMaxBlock);
        MixBlockLocked(m, n);
        std::copy(m.out.begin(), m.out.end(), out);
        out += n * 2;
        frames -= n;
    }
}

void AddAudioSource(AudioSource* source) {
    if (!source) return;
    Mixer& m = TheMixer();
    std::lock_guard lock(m.mutex);
    if (std::find(m.sources.begin(), m.sources.end(), source) == m.sources.end())
        m.sources.push_back(source);
}

void RemoveAudioSource(AudioSource* source) {
    Mixer& m = TheMixer();
    std::lock_guard lock(m.mutex);
    m.sources.erase(std::remove(m.sources.begin(), m.sources.end(), source), m.sources.end());
}

void EndAudioAtQuit() {
    std::lock_guard lock(TheMixer().mutex);
    CatchUpAudioLocked();
    TheMixer().ended = true;
}

}  // namespace plat
