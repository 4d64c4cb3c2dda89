// Byte-level reading and writing of record files: little-endian numbers, no padding.
//
// A reader works on the whole file in memory and never trusts a count it cannot back
// with bytes: a count or a length larger than what is left ends the read as if the file
// had ended there. It remembers that it stopped early, so that callers that must refuse a
// partial file can.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class RecordReader {
public:
    // Reads a file given by its program path (see platform/host_path.h); Ok() is false when
    // it could not be opened or holds fewer than the 4 bytes of its version.
    static RecordReader FromFile(std::string_view path);
    // The same for a host path (developer tools).
    static RecordReader FromHostFile(const std::string& hostPath);
    // A record file already in memory (the version first).
    static RecordReader FromBytes(std::vector<std::uint8_t> bytes);
    // A record body without a version of its own (a body embedded in another file).
    RecordReader(std::vector<std::uint8_t> bytes, std::uint32_t version);

    bool Ok() const { return m_bOpened; }
    std::uint32_t Version() const { return m_dwVersion; }
    // Records normalise themselves after a load unless the reader says otherwise (the
    // record dumper shows what the file holds).
    bool Normalizes() const { return m_bNormalize; }
    void SetNormalize(bool normalize) { m_bNormalize = normalize; }

    // Reads n bytes; false (and nothing written) when fewer remain: the reader then stays
    // at the end of the file.
    bool Read(void* destination, std::size_t n);
    // A missing value reads as 0.
    std::uint32_t ReadU32();
    // A count of elements of at least minBytes each; a count that the remaining bytes cannot
    // hold (or a missing one) is treated as the end of the file and reads as 0.
    std::uint32_t ReadCount(std::size_t minBytes);

    std::size_t Offset() const { return m_nPos; }
    const std::vector<std::uint8_t>& Bytes() const { return m_Bytes; }
    std::size_t Remaining() const { return m_Bytes.size() - m_nPos; }
    // Ends the read here (a file that stores more than the record knows).
    void StopHere(std::string what);
    // True when the read ran out of bytes or was stopped.
    bool StoppedEarly() const { return m_bStopped; }
    // The offset and a description of the first problem, when StoppedEarly().
    std::size_t ProblemOffset() const { return m_nProblemOffset; }
    const std::string& Problem() const { return m_strProblem; }

private:
    RecordReader() = default;
    void Stop(std::string what);

    std::vector<std::uint8_t> m_Bytes;
    std::size_t m_nPos = 0;
    std::uint32_t m_dwVersion = 0;
    bool m_bOpened = false;
    bool m_bStopped = false;
    bool m_bNormalize = true;
    std::size_t m_nProblemOffset = 0;
    std::string m_strProblem;
};

class RecordWriter {
public:
    // A writer of the current layout: records normalise themselves before they are written.
    RecordWriter();
    // A writer of an older layout that skips the normalise steps: test fixtures use it to
    // make files as an older version of the program wrote them.
    static RecordWriter ForOldVersion(std::uint32_t version);

    std::uint32_t Version() const { return m_dwVersion; }
    bool Normalizes() const { return m_bNormalize; }

    void Write(const void* source, std::size_t n);
    void WriteU32(std::uint32_t value);

    const std::vector<std::uint8_t>& Bytes() const { return m_Bytes; }
    std::vector<std::uint8_t>& Bytes() { return m_Bytes; }

private:
    std::vector<std::uint8_t> m_Bytes;
    std::uint32_t m_dwVersion;
    bool m_bNormalize = true;
};

// Writes the bytes to a temporary file in the target's folder, flushes and syncs it and
// renames it over the target, so that a failure at any step leaves the old file as it was.
// False when any step failed (K4_FAIL=file_write simulates a failed write).
bool WriteFileAtomically(std::string_view path, const std::vector<std::uint8_t>& bytes);
