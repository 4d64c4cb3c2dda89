#include "sound/midi_player.h"

#include <cstring>

#include "base/log.h"
#include "platform/clock.h"
#include "platform/messages.h"

namespace {

constexpr std::uint32_t kHeaderSize = sizeof(plat::MIDIHDR);

}  // namespace

cMidiPlayer::cMidiPlayer(const char* fileName) {
    Create(fileName);
    if (HasImage()) Open();
}

void cMidiPlayer::LogError(const char* format, plat::MMRESULT error) const {
    char text[512];
    plat::mciGetErrorString(error, text, sizeof text);
    ReportLogErr(format, m_FileName.c_str(), text);
}

void cMidiPlayer::Open() {
    std::lock_guard lock(m_Lock);
    m_nNextBuffer = 0;
    m_nBufferCount = kBufferCount;
    m_lpHeaders = std::make_unique<plat::MIDIHDR[]>(m_nBufferCount);
    m_nBufferSize = kBufferSize;
    m_lpBuffers = std::make_unique<char[]>(std::size_t{m_nBufferCount} * m_nBufferSize);
    for (int i = 0; i < m_nBufferCount; ++i) {
        plat::MIDIHDR& h = m_lpHeaders[i];
        h.lpData = m_lpBuffers.get() + std::size_t(i) * m_nBufferSize;
        h.dwBufferLength = m_nBufferSize;
        h.dwUser = i;
    }

    // The thread owns its queue before it runs, so the start message goes through at once;
    // a thread that could not be made gets none.
    m_hThread = plat::BeginThread(MidiThreadProc, this, &m_dwThreadId);
    if (m_hThread) {
        while (!plat::PostThreadMessage(m_dwThreadId, plat::WM_THREAD_START, 0, 0)) plat::Sleep(1);
    }

    std::uint32_t device = plat::MIDI_MAPPER;
    plat::MMRESULT r =
        plat::midiStreamOpen(&m_hStream, &device, 1, m_dwThreadId, 0, plat::CALLBACK_THREAD);
    if (r != plat::MMSYSERR_NOERROR) LogError("Midi %s Open %s", r);

    plat::MIDIPROPTIMEDIV div{sizeof(plat::MIDIPROPTIMEDIV),
                              static_cast<std::uint32_t>((m_Image[12] << 8) | m_Image[13])};
    r = plat::midiStreamProperty(m_hStream, &div, plat::MIDIPROP_SET | plat::MIDIPROP_TIMEDIV);
    if (r != plat::MMSYSERR_NOERROR) LogError("Midi %s Property %s", r);

    m_nReadPosition = kMidiImageFirstEvent;
    m_nState = kStopped;
    FillBuffer();
}

bool cMidiPlayer::AtEnd() const {
    const std::uint32_t length = (std::uint32_t{m_Image[18]} << 24) |
                                 (std::uint32_t{m_Image[19]} << 16) |
                                 (std::uint32_t{m_Image[20]} << 8) | m_Image[21];
    return static_cast<std::uint64_t>(m_nReadPosition) >=
           std::uint64_t{length} + kMidiImageFirstEvent;
}

void cMidiPlayer::FillBuffer() {
    if (AtEnd()) return;
    plat::MIDIHDR* h = &m_lpHeaders[m_nNextBuffer];
    if (h->dwFlags & plat::MHDR_INQUEUE) return;
    const int consumed = ConvertEvents(m_nReadPosition, h);
    m_nReadPosition += consumed;
    plat::MMRESULT r = plat::midiOutPrepareHeader(m_hStream, h, kHeaderSize);
    if (r != plat::MMSYSERR_NOERROR) LogError("Midi %s Prepare %s", r);
    r = plat::midiStreamOut(m_hStream, h, kHeaderSize);
    if (r != plat::MMSYSERR_NOERROR) LogError("Midi %s Out %s", r);
    m_nNextBuffer = (m_nNextBuffer + 1) % m_nBufferCount;
}

void cMidiPlayer::Play(int, int, int loop) {
    if (!HasImage()) return;
    std::lock_guard lock(m_Lock);
    PlayLocked(loop);
}

void cMidiPlayer::PlayLocked(int loop) {
    m_nLoop = loop;
    if (m_nState == kPlaying) return;
    const plat::MMRESULT r = plat::midiStreamRestart(m_hStream);
    if (r != plat::MMSYSERR_NOERROR) LogError("Midi %s Restart %s", r);
    const int old = m_nState;
    m_nState = kPlaying;
    if (old == kPaused) return;  // the queued buffers go on
    if (!AtEnd()) FillBuffer();
}

void cMidiPlayer::Stop(int flag) {
    if (!HasImage()) return;
    std::lock_guard lock(m_Lock);
    StopLocked(flag);
}

void cMidiPlayer::StopLocked(int flag) {
    if (flag == 0) {
        const plat::MMRESULT r = plat::midiStreamStop(m_hStream);
        if (r != plat::MMSYSERR_NOERROR) LogError("Midi %s Stop %s", r);
        m_nState = kStopped;
        m_nReadPosition = kMidiImageFirstEvent;
        FillBuffer();  // so that the next play starts at once
    } else if (flag == 1 && m_nState == kPlaying) {
        const plat::MMRESULT r = plat::midiStreamPause(m_hStream);
        if (r != plat::MMSYSERR_NOERROR) LogError("Midi %s Pause %s", r);
        m_nState = kPaused;
    }
}

int cMidiPlayer::State() const {
    std::lock_guard lock(m_Lock);
    return m_nState;
}

int cMidiPlayer::ReadPosition() const {
    std::lock_guard lock(m_Lock);
    return m_nReadPosition;
}

unsigned MidiThreadProc(void* arg) {
    auto* player = static_cast<cMidiPlayer*>(arg);
    plat::MSG msg;
    while (plat::GetMessage(&msg)) {
        if (msg.message != plat::MM_MOM_POSITIONCB) continue;
        const auto* h = reinterpret_cast<const plat::MIDIHDR*>(msg.lParam);
        std::lock_guard lock(player->m_Lock);
        if (player->m_bClosing || !h || h->dwOffset + 12 > h->dwBufferLength) continue;
        const auto* event = reinterpret_cast<const std::uint8_t*>(h->lpData + h->dwOffset);
        const std::uint32_t word = std::uint32_t{event[8]} | (std::uint32_t{event[9]} << 8) |
                                   (std::uint32_t{event[10]} << 16);
        if (word == 0x002FFF) {
            // The end of the song.
            player->StopLocked(0);
            if (player->m_nLoop) player->PlayLocked(1);
        } else if (!player->AtEnd()) {
            player->FillBuffer();
        }
    }
    return 0;
}

cMidiPlayer::~cMidiPlayer() {
    if (!HasImage()) return;
    {
        std::lock_guard lock(m_Lock);
        m_bClosing = true;
        // Silent from here; no more callbacks are asked for.
        if (m_hStream) plat::midiStreamStop(m_hStream);
    }
    // The thread handles what is already on its way (nothing, as the player is closing) and
    // ends; it is joined before the stream and the buffers go.
    if (m_hThread) {
        do {
            plat::PostThreadMessage(m_dwThreadId, plat::WM_QUIT, 0, 0);
        } while (plat::WaitForSingleObject(m_hThread, 10) != plat::WAIT_OBJECT_0);
        plat::CloseHandle(m_hThread);
    }
    plat::MMRESULT r = plat::midiOutReset(m_hStream);
    if (r != plat::MMSYSERR_NOERROR) LogError("Midi %s Reset %s", r);
    for (int i = 0; i < m_nBufferCount; ++i) {
        r = plat::midiOutUnprepareHeader(m_hStream, &m_lpHeaders[i], kHeaderSize);
        if (r != plat::MMSYSERR_NOERROR) LogError("Midi %s Unprepare %s", r);
    }
    r = plat::midiStreamClose(m_hStream);
    if (r != plat::MMSYSERR_NOERROR) LogError("Midi %s Close %s", r);
}
