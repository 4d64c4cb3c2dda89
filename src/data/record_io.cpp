#include "data/record_io.h"

#include <atomic>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/format.h"
#include "data/serial_record.h"
#include "platform/file_sync.h"
#include "platform/host_path.h"
#include "platform/process_id.h"
#include "platform/seams.h"

// Fields are copied between memory and file as they lie in memory, which is the file's
// little-endian order only on a little-endian host.
static_assert(std::endian::native == std::endian::little);

namespace {

RecordReader FromOpenFile(std::FILE* file);

}  // namespace

RecordReader RecordReader::FromFile(std::string_view path) {
    return FromOpenFile(plat::FileOpen(path, "rb"));
}

RecordReader RecordReader::FromHostFile(const std::string& hostPath) {
    return FromOpenFile(std::fopen(hostPath.c_str(), "rb"));
}

namespace {

RecordReader FromOpenFile(std::FILE* file) {
    if (!file) return RecordReader::FromBytes({});
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[65536];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return RecordReader::FromBytes({});
    return RecordReader::FromBytes(std::move(bytes));
}

}  // namespace

RecordReader RecordReader::FromBytes(std::vector<std::uint8_t> bytes) {
    RecordReader reader;
    if (bytes.size() < 4) return reader;  // no version: a failed open
    reader.m_Bytes = std::move(bytes);
    std::memcpy(&reader.m_dwVersion, reader.m_Bytes.data(), 4);
    reader.m_nPos = 4;
    reader.m_bOpened = true;
    return reader;
}

RecordReader::RecordReader(std::vector<std::uint8_t> bytes, std::uint32_t version)
    : m_Bytes(std::move(bytes)), m_dwVersion(version), m_bOpened(true) {}

bool RecordReader::Read(void* destination, std::size_t n) {
    if (m_bStopped) return false;
    if (n > Remaining()) {
        Stop(Format("the file ends %zu bytes before a value of %zu bytes", n - Remaining(), n));
        return false;
    }
    if (n) std::memcpy(destination, m_Bytes.data() + m_nPos, n);
    m_nPos += n;
    return true;
}

std::uint32_t RecordReader::ReadU32() {
    std::uint32_t value = 0;
    return Read(&value, 4) ? value : 0;
}

std::uint32_t RecordReader::ReadCount(std::size_t minBytes) {
    const std::size_t at = m_nPos;
    std::uint32_t count = ReadU32();
    if (m_bStopped) return 0;
    if (minBytes && count > Remaining() / minBytes) {
        m_nPos = at;
        Stop(Format("a count of %u cannot fit in the %zu bytes left", count, Remaining() - 4));
        return 0;
    }
    return count;
}

void RecordReader::StopHere(std::string what) {
    Stop(std::move(what));
}

void RecordReader::Stop(std::string what) {
    if (!m_bStopped) {
        m_bStopped = true;
        m_nProblemOffset = m_nPos;
        m_strProblem = std::move(what);
    }
    m_nPos = m_Bytes.size();
}

RecordWriter::RecordWriter() : m_dwVersion(dwDataVersion) {}

RecordWriter RecordWriter::ForOldVersion(std::uint32_t version) {
    RecordWriter writer;
    writer.m_dwVersion = version;
    writer.m_bNormalize = false;
    return writer;
}

void RecordWriter::Write(const void* source, std::size_t n) {
    const auto* p = static_cast<const std::uint8_t*>(source);
    m_Bytes.insert(m_Bytes.end(), p, p + n);
}

void RecordWriter::WriteU32(std::uint32_t value) {
    Write(&value, 4);
}

bool WriteFileAtomically(std::string_view path, const std::vector<std::uint8_t>& bytes) {
    // A name of its own per save, so that two saves of one file never share a temporary.
    static std::atomic<unsigned> saves{0};
    const std::string temp = Format("%.*s.%d-%u.tmp", static_cast<int>(path.size()), path.data(),
                                    plat::ProcessId(), saves++);
    // Created through the mapper so its cache sees the temporary file and the rename.
    std::FILE* file = plat::FileOpen(temp, "wb");
    if (!file) return false;
    bool ok = !plat::FailStep("file_write") &&
              std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = plat::FlushFileBuffers(file) && ok;
    ok = std::fclose(file) == 0 && ok;
    if (!ok || !plat::MoveFile(temp, path)) {
        plat::DeleteFile(temp);
        return false;
    }
    return true;
}
