// Plays one Standard MIDI File on a MIDI stream from two buffers: while one plays, the
// other holds the next events; the callback event at the end of each buffer wakes the
// player's own thread, which refills the buffer that has become free. The end-of-track
// event, the last of the song, tells the thread to rewind and, when looping, to play again.
//
// The window thread (create, Play, Stop, delete) and the player's thread share the read
// position, the buffer index and the state under one lock. Deleting a player stops the
// stream and ends its thread before the stream is reset and closed, so no callback arrives
// afterwards.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/midi_stream.h"
#include "platform/threads.h"
#include "sound/midi_file.h"

class cMidiPlayer : public cMidiFile {
public:
    // Loads and converts the file; opens the stream when an image exists.
    explicit cMidiPlayer(const char* fileName);
    ~cMidiPlayer() override;

    // Sets the loop flag and starts or resumes the stream (the first two arguments are not
    // read).
    void Play(int, int, int loop);
    // Flag 0 stops and rewinds (one buffer is filled again from the start); flag 1 pauses.
    void Stop(int flag);

    // States.
    static constexpr int kStopped = 0;
    static constexpr int kPlaying = 1;
    static constexpr int kPaused = 2;

    int State() const;
    int ReadPosition() const;
    plat::HMIDISTRM Stream() const { return m_hStream; }
    std::uint32_t ThreadId() const { return m_dwThreadId; }
    const plat::MIDIHDR& Header(int i) const { return m_lpHeaders[i]; }

    static constexpr int kBufferCount = 2;
    static constexpr int kBufferSize = 24000;

private:
    friend unsigned MidiThreadProc(void* arg);

    void Open();
    // The next events into the next free buffer, which is then queued. Under the lock.
    void FillBuffer();
    void PlayLocked(int loop);
    void StopLocked(int flag);
    bool AtEnd() const;
    // Writes "Midi <file> <step> <error text>" to the report and error logs.
    void LogError(const char* format, plat::MMRESULT error) const;

    mutable std::mutex m_Lock;
    int m_nNextBuffer = 0;
    plat::HMIDISTRM m_hStream = nullptr;
    std::unique_ptr<plat::MIDIHDR[]> m_lpHeaders;
    std::unique_ptr<char[]> m_lpBuffers;
    std::uint8_t m_nBufferCount = 0;
    int m_nBufferSize = 0;
    int m_nReadPosition = kMidiImageFirstEvent;
    int m_nState = kStopped;
    plat::HANDLE m_hThread;
    std::uint32_t m_dwThreadId = 0;
    int m_nLoop = 0;
    // Set while the player is being deleted: a callback still on its way does nothing.
    bool m_bClosing = false;
};

// The player's thread: refills on buffer callbacks, rewinds (and loops) at the end.
unsigned MidiThreadProc(void* arg);
