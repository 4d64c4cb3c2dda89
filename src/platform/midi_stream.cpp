#include "platform/midi_stream.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <set>
#include <vector>

#include "platform/audio_source.h"
#include "platform/host_path.h"
#include "platform/messages.h"
#include "platform/seams.h"

namespace plat {
namespace {

constexpr int kSampleRate = 44100;
// The synthesiser renders in slices of at most this many frames.
constexpr std::size_t kSlice = 1024;
// After this much silence with nothing to play, the synthesiser is no longer run.
constexpr std::uint64_t kIdleLimit = 2 * kSampleRate;
// How long the rendering waits for the callback thread to handle a callback (real time).
constexpr std::uint32_t kCallbackWait = 2000;
// At most this many callbacks at one sample; the rest of the call is then rendered without
// taking events.
constexpr int kCallbacksPerInstant = 16;

// The General MIDI sound fonts, the fuller one first.
constexpr const char* kSoundFonts[] = {
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
};

std::uint32_t Little32(const char* p) {
    const auto* b = reinterpret_cast<const std::uint8_t*>(p);
    return std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) |
           (std::uint32_t{b[3]} << 24);
}

// FluidSynth's warnings and notes would only clutter stderr; its errors stay.
void QuietFluidSynth() {
    static std::once_flag once;
    std::call_once(once, [] {
        fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
        fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
        fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    });
}

const char* SoundFontPath() {
    static const char* path = [] {
        for (const char* candidate : kSoundFonts) {
            if (std::FILE* f = std::fopen(candidate, "rb")) {
                std::fclose(f);
                return candidate;
            }
        }
        std::fprintf(stderr, "midi: no General MIDI sound font found; MIDI music is silent\n");
        return static_cast<const char*>(nullptr);
    }();
    return path;
}

// A synthesiser of a stream. Loading the sound font takes far longer than a change of tune
// may, so the font is loaded once, by a synthesiser kept for that, and lent to each stream's
// own new synthesiser (which starts from the same state every time).
struct Synth {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_sfont_t* font = nullptr;  // lent, not owned
};

fluid_settings_t* NewSettings() {
    fluid_settings_t* settings = new_fluid_settings();
    if (!settings) return nullptr;
    fluid_settings_setnum(settings, "synth.sample-rate", kSampleRate);
    fluid_settings_setnum(settings, "synth.gain", 0.5);
    fluid_settings_setint(settings, "synth.threadsafe-api", 0);
    fluid_settings_setint(settings, "synth.cpu-cores", 1);
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    return settings;
}

// The General MIDI sound font, loaded on first use and kept for the process; null when none
// loads.
fluid_sfont_t* SharedSoundFont() {
    static fluid_sfont_t* font = [] {
        const char* path = SoundFontPath();
        if (!path) return static_cast<fluid_sfont_t*>(nullptr);
        fluid_settings_t* settings = NewSettings();
        fluid_synth_t* keeper = settings ? new_fluid_synth(settings) : nullptr;
        const int id = keeper ? fluid_synth_sfload(keeper, path, 0) : FLUID_FAILED;
        return id == FLUID_FAILED ? nullptr : fluid_synth_get_sfont_by_id(keeper, id);
    }();
    return font;
}

void DeleteSynth(Synth& s) {
    if (s.synth) {
        if (s.font) fluid_synth_remove_sfont(s.synth, s.font);
        delete_fluid_synth(s.synth);
    }
    if (s.settings) delete_fluid_settings(s.settings);
    s = Synth{};
}

Synth NewSynth() {
    Synth s;
    s.settings = NewSettings();
    s.synth = s.settings ? new_fluid_synth(s.settings) : nullptr;
    if (!s.synth) {
        DeleteSynth(s);
        return s;
    }
    if (fluid_sfont_t* font = SharedSoundFont();
        font && fluid_synth_add_sfont(s.synth, font) != FLUID_FAILED) {
        s.font = font;
        fluid_synth_program_reset(s.synth);
    }
    return s;
}

}  // namespace

struct MidiStream final : AudioSource {
    std::mutex mutex;
    std::uint32_t callbackThread = 0;
    bool threadCallback = false;
    std::uint32_t timeDiv = 96;
    std::uint32_t tempo = 500000;
    bool playing = false;
    std::deque<MIDIHDR*> queue;
    std::size_t offset = 0;   // next event in the front buffer
    bool eventTimed = false;  // samplesLeft counts down to the event at offset
    std::uint64_t samplesLeft = 0;
    unsigned __int128 fraction = 0;  // the part of a sample the ticks so far left over
    std::uint64_t idleSamples = 0;
    Synth slot;
    fluid_synth_t* synth = nullptr;  // slot.synth
    std::vector<float> left = std::vector<float>(kSlice);
    std::vector<float> right = std::vector<float>(kSlice);

    ~MidiStream() override { DeleteSynth(slot); }

    void MixInto(std::int32_t* acc, std::size_t frames) override;

    // Samples for delta ticks at the current division and tempo, the remainder carried.
    std::uint64_t TicksToSamples(std::uint32_t delta) {
        unsigned __int128 num;
        unsigned __int128 den;
        if (timeDiv & 0x8000) {
            const int fps = -static_cast<std::int8_t>(timeDiv >> 8);
            const unsigned ticksPerFrame = timeDiv & 0xFF;
            // 29 stands for 29.97 frames per second (30000 / 1001).
            num = fps == 29 ? kSampleRate * 1001u : kSampleRate;
            den = (fps == 29 ? 30000u : static_cast<unsigned>(fps)) * ticksPerFrame;
        } else {
            num = static_cast<unsigned __int128>(tempo) * kSampleRate;
            den = static_cast<unsigned __int128>(timeDiv) * 1000000u;
        }
        const unsigned __int128 v = static_cast<unsigned __int128>(delta) * num + fraction;
        fraction = v % den;
        return static_cast<std::uint64_t>(v / den);
    }

    void ReleaseNotes() {
        if (synth) fluid_synth_all_notes_off(synth, -1);
    }

    // Returns every queued buffer and rewinds the stream time.
    void ReturnBuffers() {
        for (MIDIHDR* h : queue) h->dwFlags = (h->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
        queue.clear();
        offset = 0;
        eventTimed = false;
        fraction = 0;
    }

    void FinishFront() {
        MIDIHDR* h = queue.front();
        queue.pop_front();
        h->dwFlags = (h->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
        offset = 0;
        eventTimed = false;
    }

    void Dispatch(std::uint32_t word, const char* params, std::uint32_t length);
    void Render(std::int32_t* acc, std::size_t frames, bool active);
};

namespace {

std::mutex& StreamsMutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}
std::set<MidiStream*>& Streams() {
    static auto* streams = new std::set<MidiStream*>;
    return *streams;
}

bool ValidTimeDiv(std::uint32_t div) {
    if (div == 0 || div > 0xFFFF) return false;
    if (!(div & 0x8000)) return true;
    const int fps = -static_cast<std::int8_t>(div >> 8);
    return (fps == 24 || fps == 25 || fps == 29 || fps == 30) && (div & 0xFF) != 0;
}

int ToSample(float x) {
    const double v = std::clamp(static_cast<double>(x), -64.0, 64.0) * 32767.0;
    return static_cast<int>(std::lround(v));
}

}  // namespace

void MidiStream::Dispatch(std::uint32_t word, const char* params, std::uint32_t length) {
    const std::uint8_t type = static_cast<std::uint8_t>((word >> 24) & ~(MEVT_F_CALLBACK >> 24));
    if (type == MEVT_TEMPO) {
        tempo = word & 0xFFFFFF;
        if (tempo == 0) tempo = 1;
        return;
    }
    if (!synth) return;
    if (type == MEVT_LONGMSG) {
        // A system-exclusive message: the synthesiser takes it without F0 and F7.
        const auto* b = reinterpret_cast<const std::uint8_t*>(params);
        if (length < 2 || b[0] != 0xF0) return;
        std::uint32_t n = length - 1;
        if (b[length - 1] == 0xF7) --n;
        fluid_synth_sysex(synth, params + 1, static_cast<int>(n), nullptr, nullptr, nullptr, 0);
        return;
    }
    if (type != MEVT_SHORTMSG) return;
    const int status = word & 0xFF;
    const int channel = status & 0x0F;
    const int d1 = (word >> 8) & 0x7F;
    const int d2 = (word >> 16) & 0x7F;
    switch (status & 0xF0) {
        case 0x80:
            fluid_synth_noteoff(synth, channel, d1);
            break;
        case 0x90:
            fluid_synth_noteon(synth, channel, d1, d2);
            break;
        case 0xA0:
            fluid_synth_key_pressure(synth, channel, d1, d2);
            break;
        case 0xB0:
            fluid_synth_cc(synth, channel, d1, d2);
            break;
        case 0xC0:
            fluid_synth_program_change(synth, channel, d1);
            break;
        case 0xD0:
            fluid_synth_channel_pressure(synth, channel, d1);
            break;
        case 0xE0:
            fluid_synth_pitch_bend(synth, channel, d1 | (d2 << 7));
            break;
        default:
            break;  // system messages (the end-of-track marker among them) do not sound
    }
}

void MidiStream::Render(std::int32_t* acc, std::size_t frames, bool active) {
    if (!synth) return;
    if (!active && fluid_synth_get_active_voice_count(synth) == 0) {
        if (idleSamples >= kIdleLimit) return;
        idleSamples += frames;
    } else {
        idleSamples = 0;
    }
    while (frames > 0) {
        const std::size_t n = std::min(frames, kSlice);
        fluid_synth_write_float(synth, static_cast<int>(n), left.data(), 0, 1, right.data(), 0, 1);
        for (std::size_t i = 0; i < n; ++i) {
            acc[2 * i] += ToSample(left[i]);
            acc[2 * i + 1] += ToSample(right[i]);
        }
        acc += 2 * n;
        frames -= n;
    }
}

void MidiStream::MixInto(std::int32_t* acc, std::size_t frames) {
    std::unique_lock lock(mutex);
    std::size_t done = 0;
    // Callbacks since time last moved: a looping song that lasts no time at all would
    // otherwise restart forever within this one call.
    int callbacks = 0;
    while (done < frames) {
        if (callbacks >= kCallbacksPerInstant) {
            Render(acc + 2 * done, frames - done, false);
            return;
        }
        if (!playing || queue.empty()) {
            Render(acc + 2 * done, frames - done, false);
            return;
        }
        MIDIHDR* h = queue.front();
        const std::size_t recorded = std::min(h->dwBytesRecorded, h->dwBufferLength);
        if (offset + 12 > recorded) {
            FinishFront();
            continue;
        }
        const char* event = h->lpData + offset;
        if (!eventTimed) {
            samplesLeft = TicksToSamples(Little32(event));
            eventTimed = true;
        }
        if (samplesLeft > 0) {
            const std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(samplesLeft, frames - done));
            Render(acc + 2 * done, n, true);
            samplesLeft -= n;
            done += n;
            callbacks = 0;
            continue;
        }
        const std::uint32_t word = Little32(event + 8);
        std::size_t size = 12;
        std::uint32_t length = 0;
        if (word & MEVT_F_LONG) {
            length = word & 0xFFFFFF;
            size += (std::size_t{length} + 3) & ~std::size_t{3};
            if (size > recorded - offset) {
                // A long event that runs past the recorded bytes ends the buffer.
                FinishFront();
                continue;
            }
        }
        Dispatch(word, event + 12, length);
        const std::size_t eventOffset = offset;
        offset += size;
        eventTimed = false;
        if (!(word & MEVT_F_CALLBACK) || !threadCallback) continue;
        h->dwOffset = static_cast<std::uint32_t>(eventOffset);
        // The buffer is returned before the callback, so that the refill it asks for finds
        // it free.
        if (offset + 12 > recorded) FinishFront();
        const std::uint64_t ticket = PostThreadMessageTracked(callbackThread, MM_MOM_POSITIONCB, 0,
                                                              reinterpret_cast<LPARAM>(h));
        if (ticket == 0) continue;
        ++callbacks;
        // What the callback queues or changes takes effect at this very sample.
        lock.unlock();
        WaitForThreadMessageHandled(callbackThread, ticket, kCallbackWait);
        lock.lock();
    }
}

// The calls. Each holds the list of open streams while it runs, so a handle cannot be
// closed under it; the rendering takes only the stream's own lock.

MMRESULT midiStreamOpen(HMIDISTRM* stream, std::uint32_t* deviceId, std::uint32_t cMidi,
                        std::uintptr_t callback, std::uintptr_t, std::uint32_t flags) {
    if (!stream) return MMSYSERR_INVALPARAM;
    *stream = nullptr;
    if (FailStep("midi_stream_open")) return MMSYSERR_NODRIVER;
    if (deviceId && *deviceId != MIDI_MAPPER && *deviceId != 0) return MMSYSERR_BADDEVICEID;
    if (cMidi != 1) return MMSYSERR_INVALPARAM;
    if (flags != CALLBACK_THREAD && flags != CALLBACK_NULL) return MMSYSERR_INVALFLAG;

    QuietFluidSynth();
    auto* s = new MidiStream;
    s->threadCallback = flags == CALLBACK_THREAD;
    s->callbackThread = static_cast<std::uint32_t>(callback);
    s->slot = NewSynth();
    s->synth = s->slot.synth;
    if (!s->synth) {
        delete s;
        return MMSYSERR_NOMEM;
    }
    {
        std::lock_guard lock(StreamsMutex());
        Streams().insert(s);
    }
    AddAudioSource(s);
    *stream = s;
    return MMSYSERR_NOERROR;
}

namespace {

// Runs op on a live stream, under the list and the stream's lock.
template <typename Op>
MMRESULT WithStream(HMIDISTRM stream, Op op) {
    std::lock_guard list(StreamsMutex());
    if (!stream || !Streams().count(stream)) return MMSYSERR_INVALHANDLE;
    std::lock_guard lock(stream->mutex);
    return op(*stream);
}

}  // namespace

MMRESULT midiStreamProperty(HMIDISTRM stream, void* data, std::uint32_t property) {
    return WithStream(stream, [&](MidiStream& s) -> MMRESULT {
        const bool set = property & MIDIPROP_SET;
        const bool get = property & MIDIPROP_GET;
        if (!data || set == get) return MMSYSERR_INVALPARAM;
        auto* value = static_cast<std::uint32_t*>(data);  // cbStruct, then the value
        if (value[0] < 8) return MMSYSERR_INVALPARAM;
        if (property & MIDIPROP_TIMEDIV) {
            if (get) {
                value[1] = s.timeDiv;
                return MMSYSERR_NOERROR;
            }
            if (!ValidTimeDiv(value[1]) || !s.queue.empty()) return MMSYSERR_INVALPARAM;
            s.timeDiv = value[1];
            s.fraction = 0;
            return MMSYSERR_NOERROR;
        }
        if (property & MIDIPROP_TEMPO) {
            if (get) {
                value[1] = s.tempo;
                return MMSYSERR_NOERROR;
            }
            if (value[1] == 0 || value[1] > 0xFFFFFF) return MMSYSERR_INVALPARAM;
            s.tempo = value[1];
            return MMSYSERR_NOERROR;
        }
        return MMSYSERR_INVALPARAM;
    });
}

MMRESULT midiOutPrepareHeader(HMIDISTRM stream, MIDIHDR* header, std::uint32_t size) {
    return WithStream(stream, [&](MidiStream&) -> MMRESULT {
        if (!header || size < sizeof(MIDIHDR) || !header->lpData) return MMSYSERR_INVALPARAM;
        header->dwFlags |= MHDR_PREPARED;
        return MMSYSERR_NOERROR;
    });
}

MMRESULT midiOutUnprepareHeader(HMIDISTRM stream, MIDIHDR* header, std::uint32_t size) {
    return WithStream(stream, [&](MidiStream&) -> MMRESULT {
        if (!header || size < sizeof(MIDIHDR)) return MMSYSERR_INVALPARAM;
        if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
        header->dwFlags &= ~MHDR_PREPARED;
        return MMSYSERR_NOERROR;
    });
}

MMRESULT midiStreamOut(HMIDISTRM stream, MIDIHDR* header, std::uint32_t size) {
    return WithStream(stream, [&](MidiStream& s) -> MMRESULT {
        if (!header || size < sizeof(MIDIHDR)) return MMSYSERR_INVALPARAM;
        if (!(header->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
        if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
        if (header->dwBytesRecorded > header->dwBufferLength || header->dwBytesRecorded % 4 != 0) {
            return MMSYSERR_INVALPARAM;
        }
        header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE | MHDR_ISSTRM;
        s.queue.push_back(header);
        return MMSYSERR_NOERROR;
    });
}

MMRESULT midiStreamRestart(HMIDISTRM stream) {
    return WithStream(stream, [](MidiStream& s) -> MMRESULT {
        s.playing = true;
        return MMSYSERR_NOERROR;
    });
}

MMRESULT midiStreamPause(HMIDISTRM stream) {
    return WithStream(stream, [](MidiStream& s) -> MMRESULT {
        if (s.playing) s.ReleaseNotes();
        s.playing = false;
        return MMSYSERR_NOERROR;
    });
}

MMRESULT midiStreamStop(HMIDISTRM stream) {
    return WithStream(stream, [](MidiStream& s) -> MMRESULT {
        s.playing = false;
        s.ReturnBuffers();
        s.ReleaseNotes();
        return MMSYSERR_NOERROR;
    });
}

MMRESULT midiOutReset(HMIDISTRM stream) {
    return WithStream(stream, [](MidiStream& s) -> MMRESULT {
        s.playing = false;
        s.ReturnBuffers();
        if (s.synth) fluid_synth_system_reset(s.synth);
        return MMSYSERR_NOERROR;
    });
}

MMRESULT midiStreamClose(HMIDISTRM stream) {
    {
        std::lock_guard list(StreamsMutex());
        if (!stream || !Streams().count(stream)) return MMSYSERR_INVALHANDLE;
        {
            std::lock_guard lock(stream->mutex);
            if (!stream->queue.empty()) return MIDIERR_STILLPLAYING;
        }
        Streams().erase(stream);
    }
    // No call can reach the stream any more; once the mixer lets go of it, it is freed.
    RemoveAudioSource(stream);
    delete stream;
    return MMSYSERR_NOERROR;
}

AudioSource* MidiStreamVoice(HMIDISTRM stream) {
    return stream;
}

bool mciGetErrorString(MMRESULT error, char* text, std::uint32_t size) {
    const char* message = nullptr;
    switch (error) {
        case MMSYSERR_NOERROR:
            message = "no error";
            break;
        case MMSYSERR_ERROR:
            message = "unspecified error";
            break;
        case MMSYSERR_BADDEVICEID:
            message = "no such MIDI device";
            break;
        case MMSYSERR_INVALHANDLE:
            message = "the MIDI stream is not open";
            break;
        case MMSYSERR_NODRIVER:
            message = "no MIDI output is available";
            break;
        case MMSYSERR_NOMEM:
            message = "not enough memory for the MIDI output";
            break;
        case MMSYSERR_INVALFLAG:
            message = "invalid flag";
            break;
        case MMSYSERR_INVALPARAM:
            message = "invalid parameter";
            break;
        case MIDIERR_UNPREPARED:
            message = "the buffer is not prepared";
            break;
        case MIDIERR_STILLPLAYING:
            message = "a buffer is still queued";
            break;
        default:
            break;
    }
    if (text && size > 0) {
        text[0] = '\0';
        if (message) {
            std::strncpy(text, message, size - 1);
            text[size - 1] = '\0';
        }
    }
    return message != nullptr;
}

}  // namespace plat
