#include "data/record_dump.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

#include "base/format.h"
#include "data/boot_settings.h"
#include "data/common_palette.h"
#include "data/database.h"
#include "data/option_record.h"
#include "data/record_visitor.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "data/window_placement.h"
#include "data/world_map.h"
#include "platform/cp932.h"

namespace {

std::string Quote(const std::string& cp932) {
    const std::string utf8 = plat::Cp932ToUtf8(cp932);
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    out += Format("\\x%02X", c);
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

std::string FieldValue(const FieldEntry& e, std::uint32_t k) {
    const auto* p = static_cast<const std::uint8_t*>(e.address) + std::size_t{k} * e.size;
    switch (e.size) {
        case 1:
            return Format("%u", *p);
        case 2: {
            std::int16_t v;
            std::memcpy(&v, p, 2);
            return Format("%d", v);
        }
        case 4: {
            std::int32_t v;
            std::memcpy(&v, p, 4);
            return Format("%d", v);
        }
        case 8: {
            double v;
            std::memcpy(&v, p, 8);
            return Format("%.17g", v);
        }
    }
    return "?";
}

class Printer : public RecordVisitor {
public:
    explicit Printer(std::string& out) : m_Out(out) {}

    void Print(SerialRecord& record, const std::string& prefix) {
        // Which members the file gave: the first fields and strings, as many as were read,
        // of the layout of the version they were read at.
        std::set<const void*> storedFields, storedStrings;
        const StoredCounts& stored = record.Stored();
        if (stored.loaded) {
            record.Rebind(stored.version);
            const int f = std::min<long long>(stored.fields, record.FieldCount());
            for (int i = 0; i < f; ++i) storedFields.insert(record.FieldAt(i).address);
            const int s = std::min<long long>(stored.strings, record.StringCount());
            for (int i = 0; i < s; ++i) storedStrings.insert(record.StringAt(i).address);
        }
        record.Rebind(dwDataVersion);
        for (int i = 0; i < record.FieldCount(); ++i) {
            const FieldEntry& e = record.FieldAt(i);
            const std::string name = Name(prefix, e.name, "field", i);
            const char* mark = storedFields.count(e.address) ? "" : " (default)";
            for (std::uint32_t k = 0; k < e.count; ++k) {
                const std::string index = e.count > 1 ? Format("[%u]", k) : "";
                m_Out += name + index + " = " + FieldValue(e, k) + mark + "\n";
            }
        }
        for (int i = 0; i < record.StringCount(); ++i) {
            const StringEntry& e = record.StringAt(i);
            const char* mark = storedStrings.count(e.address) ? "" : " (default)";
            m_Out += Name(prefix, e.name, "string", i) + " = " + Quote(*e.address) + mark + "\n";
        }
        std::string saved = m_strPrefix;
        m_strPrefix = prefix;
        record.Describe(*this);
        m_strPrefix = saved;
    }

    void Child(std::string_view name, SerialRecord& record) override {
        Print(record, m_strPrefix + std::string(name) + ".");
    }
    void Value(std::string_view name, long long value) override {
        m_Out += m_strPrefix + std::string(name) + " = " + Format("%lld", value) + "\n";
    }
    void Text(std::string_view name, const std::string& text) override {
        m_Out += m_strPrefix + std::string(name) + " = " + Quote(text) + "\n";
    }

private:
    static std::string Name(const std::string& prefix, const char* name, const char* kind,
                            int index) {
        return prefix + (name && *name ? std::string(name) : Format("%s%d", kind, index));
    }

    std::string& m_Out;
    std::string m_strPrefix;
};

void AppendProblem(DumpResult& result, const RecordReader& reader) {
    if (!reader.StoppedEarly()) return;
    result.text += Format("! offset %zu: %s\n", reader.ProblemOffset(), reader.Problem().c_str());
    result.ok = false;
}

}  // namespace

DumpResult DumpRecord(SerialRecord& record, RecordReader& reader) {
    DumpResult result;
    // The file as it is: no normalise step after the load.
    reader.SetNormalize(false);
    dwFileVersion = reader.Version();
    record.Load(reader);
    result.text = Format("version = %u\n", reader.Version());
    Printer(result.text).Print(record, "");
    AppendProblem(result, reader);
    return result;
}

DumpResult DumpUnknown(const RecordReader& reader) {
    DumpResult result;
    const auto& bytes = reader.Bytes();
    result.text = Format("version = %u\n", reader.Version());
    std::size_t at = 4;
    if (bytes.size() >= at + 4) {
        std::uint32_t fields;
        std::memcpy(&fields, bytes.data() + at, 4);
        result.text += Format("field count = %u\n", fields);
        at += 4;
    }
    for (std::size_t line = at; line < bytes.size(); line += 16) {
        result.text += Format("%08zx ", line);
        const std::size_t end = std::min(bytes.size(), line + 16);
        for (std::size_t i = line; i < line + 16; ++i) {
            result.text += i < end ? Format(" %02x", bytes[i]) : "   ";
        }
        result.text += "  |";
        for (std::size_t i = line; i < end; ++i) {
            result.text += std::isprint(bytes[i]) ? static_cast<char>(bytes[i]) : '.';
        }
        result.text += "|\n";
    }
    return result;
}

namespace {

std::vector<RecordKind>& KindTable() {
    // Each record class of this layer joins this table when it is built; the records of
    // higher layers are added by the tool that links them (AddRecordKind).
    static std::vector<RecordKind> kinds = {
        {"AnimeSet", "AnimeSet.dat", &MakeDatabaseTableFile<&cEdDatabase::vecAnimeSet>},
        {"Anime", "Anime.dat", &MakeDatabaseTableFile<&cEdDatabase::vecAnime>},
        {"Bmp_CharaExc", "Bmp_CharaExc.dat", &MakeDatabaseTableFile<&cEdDatabase::vecBmpCharaExc>},
        {"SwordType", "SwordType.dat", &MakeDatabaseTableFile<&cEdDatabase::vecSwordType>},
        {"Effect", "Effect.dat", &MakeDatabaseTableFile<&cEdDatabase::vecEffect>},
        {"CharaEffect", "CharaEffect.dat", &MakeDatabaseTableFile<&cEdDatabase::vecCharaEffect>},
        {"ScrEffect", "ScrEffect.dat", &MakeDatabaseTableFile<&cEdDatabase::vecScrEffect>},
        {"Picture", "Picture.dat", &MakeDatabaseTableFile<&cEdDatabase::vecPicture>},
        {"Sound", "Sound.dat", &MakeDatabaseTableFile<&cEdDatabase::vecSound>},
        {"Bgm", "Bgm.dat", &MakeDatabaseTableFile<&cEdDatabase::vecBgm>},
        {"Option", "Option.dat", [] { return std::unique_ptr<SerialRecord>(new OptionData); }},
        {"System", "System.dat", [] { return std::unique_ptr<SerialRecord>(new cEdSystem); }},
        // Numbered stage files end in .stg4_NNN.
        {"Stage", "*.stg4*", [] { return std::unique_ptr<SerialRecord>(new cEdStage); }},
        {"CommonPalette", "CommonPalette.cplt4",
         [] { return std::unique_ptr<SerialRecord>(new cEdCommonPalette); }},
        // Palette entries are not files of their own; --kind reads one body after a version.
        {"Block", "", [] { return std::unique_ptr<SerialRecord>(new cEdBlock); }},
        {"Chara", "", [] { return std::unique_ptr<SerialRecord>(new cEdChara); }},
        {"Item", "", [] { return std::unique_ptr<SerialRecord>(new cEdItem); }},
        {"WorldMap", "WorldMap.dat", [] { return std::unique_ptr<SerialRecord>(new cEdWorldMap); }},
        {"Boot", "Boot.dat", [] { return std::unique_ptr<SerialRecord>(new cBootSettings); }},
        {"Window", "Window.dat",
         [] { return std::unique_ptr<SerialRecord>(new cWindowPlacement); }},
    };
    return kinds;
}

}  // namespace

std::span<const RecordKind> RecordKinds() {
    return KindTable();
}

void AddRecordKind(const RecordKind& kind) {
    KindTable().push_back(kind);
}

const RecordKind* FindKindByName(std::string_view name) {
    for (const RecordKind& k : RecordKinds()) {
        if (MatchesPattern(k.name, name)) return &k;
    }
    return nullptr;
}

const RecordKind* FindKindForFile(std::string_view baseName) {
    for (const RecordKind& k : RecordKinds()) {
        if (MatchesPattern(k.pattern, baseName)) return &k;
    }
    return nullptr;
}

bool MatchesPattern(std::string_view pattern, std::string_view name) {
    // Iterative glob with one backtrack point for the last '*'.
    std::size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
    auto lower = [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    };
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (p < pattern.size() && lower(pattern[p]) == lower(name[n])) {
            ++p;
            ++n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}
