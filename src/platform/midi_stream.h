// The MIDI stream output: buffers of stream events queued on a stream, played on the audio
// clock through FluidSynth's synthesiser (General MIDI sound font), in the calls and flags
// of the Windows MIDI stream functions the music player is written against.
//
// A stream is an audio source of the mixer. Its time runs only while it plays and a buffer
// is queued: the events of the front buffer are taken in order, each after its delta time in
// ticks (time division and tempo, exact to the sample; the synthesiser applies an event at
// its next 64-sample block). An event with MEVT_F_CALLBACK posts MM_MOM_POSITIONCB to the
// callback thread (lParam = the header, dwOffset = the event's offset), and the rendering
// waits until that thread has handled it before it goes on, so the output depends only on
// the samples asked for and the calls made, never on how fast the callback thread runs.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace plat {

class AudioSource;
struct MidiStream;
using HMIDISTRM = MidiStream*;
using MMRESULT = std::uint32_t;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MIDIERR_UNPREPARED = 64;
constexpr MMRESULT MIDIERR_STILLPLAYING = 65;

constexpr std::uint32_t MIDI_MAPPER = 0xFFFFFFFFu;
constexpr std::uint32_t CALLBACK_NULL = 0x00000000u;
constexpr std::uint32_t CALLBACK_THREAD = 0x00020000u;

constexpr std::uint32_t MIDIPROP_SET = 0x80000000u;
constexpr std::uint32_t MIDIPROP_GET = 0x40000000u;
constexpr std::uint32_t MIDIPROP_TIMEDIV = 0x00000001u;
constexpr std::uint32_t MIDIPROP_TEMPO = 0x00000002u;

// Messages posted to the callback thread.
constexpr std::uint32_t MM_MOM_POSITIONCB = 0x3CA;

// Header flags.
constexpr std::uint32_t MHDR_DONE = 0x00000001u;
constexpr std::uint32_t MHDR_PREPARED = 0x00000002u;
constexpr std::uint32_t MHDR_INQUEUE = 0x00000004u;
constexpr std::uint32_t MHDR_ISSTRM = 0x00000008u;

// Stream events: delta time, stream id, event word (type in the top byte), then the
// parameters of a long event.
constexpr std::uint32_t MEVT_F_SHORT = 0x00000000u;
constexpr std::uint32_t MEVT_F_LONG = 0x80000000u;
constexpr std::uint32_t MEVT_F_CALLBACK = 0x40000000u;
constexpr std::uint8_t MEVT_SHORTMSG = 0x00;
constexpr std::uint8_t MEVT_TEMPO = 0x01;
constexpr std::uint8_t MEVT_NOP = 0x02;
constexpr std::uint8_t MEVT_LONGMSG = 0x80;

struct MIDIEVENT {
    std::uint32_t dwDeltaTime;
    std::uint32_t dwStreamID;
    std::uint32_t dwEvent;
};

// A buffer of stream events. dwFlags is read by the owner while the stream may change it
// (MHDR_INQUEUE), so it is atomic; the other fields belong to the owner while the buffer is
// not queued and to the stream while it is.
struct MIDIHDR {
    char* lpData = nullptr;
    std::uint32_t dwBufferLength = 0;
    std::uint32_t dwBytesRecorded = 0;
    std::uintptr_t dwUser = 0;
    std::atomic<std::uint32_t> dwFlags{0};
    MIDIHDR* lpNext = nullptr;
    std::uintptr_t reserved = 0;
    std::uint32_t dwOffset = 0;
    std::uintptr_t dwReserved[8] = {};
};

struct MIDIPROPTIMEDIV {
    std::uint32_t cbStruct;
    std::uint32_t dwTimeDiv;
};
struct MIDIPROPTEMPO {
    std::uint32_t cbStruct;
    std::uint32_t dwTempo;
};

// Opens a stream on the MIDI mapper (device 0 or MIDI_MAPPER, one device), paused, with
// time division 96 and tempo 500000 us per quarter note. The callback is a thread id with
// CALLBACK_THREAD, or nothing with CALLBACK_NULL. K4_FAIL=midi_stream_open refuses the
// open (MMSYSERR_NODRIVER).
MMRESULT midiStreamOpen(HMIDISTRM* stream, std::uint32_t* deviceId, std::uint32_t cMidi,
                        std::uintptr_t callback, std::uintptr_t instance, std::uint32_t flags);
// Time division (MIDIPROPTIMEDIV) or tempo (MIDIPROPTEMPO), set or get. A division can only
// change while the stream holds no queued buffer.
MMRESULT midiStreamProperty(HMIDISTRM stream, void* data, std::uint32_t property);
MMRESULT midiOutPrepareHeader(HMIDISTRM stream, MIDIHDR* header, std::uint32_t size);
MMRESULT midiOutUnprepareHeader(HMIDISTRM stream, MIDIHDR* header, std::uint32_t size);
// Queues a prepared buffer of dwBytesRecorded bytes of events (a multiple of 4).
MMRESULT midiStreamOut(HMIDISTRM stream, MIDIHDR* header, std::uint32_t size);
// Plays, or resumes where a pause left off.
MMRESULT midiStreamRestart(HMIDISTRM stream);
// Holds the position; sounding notes are released.
MMRESULT midiStreamPause(HMIDISTRM stream);
// Returns every queued buffer (MHDR_DONE), releases the notes and pauses at the start.
MMRESULT midiStreamStop(HMIDISTRM stream);
// As midiStreamStop, and the synthesiser's channels are reset.
MMRESULT midiOutReset(HMIDISTRM stream);
// Fails with MIDIERR_STILLPLAYING while a buffer is queued.
MMRESULT midiStreamClose(HMIDISTRM stream);

// The stream's voice, as the mixer pulls it (tests drive it directly); null for none.
AudioSource* MidiStreamVoice(HMIDISTRM stream);

// The text of an error code, cut to the buffer; false for an unknown code (the buffer then
// holds an empty text).
bool mciGetErrorString(MMRESULT error, char* text, std::uint32_t size);

}  // namespace plat
