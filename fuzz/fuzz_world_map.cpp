// data\WorldMap.dat over hostile bytes: loaded (with its normalise step), written back and
// read again, which must give the same bytes; then the readers the world-map scene uses are
// run over what was loaded, and the grid is resized from it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "data/world_map.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RecordReader reader = RecordReader::FromBytes(std::vector<std::uint8_t>(data, data + size));
    if (!reader.Ok()) return 0;
    cEdWorldMap map;
    map.Load(reader);

    const std::vector<std::uint8_t> saved = map.SaveToBytes();
    cEdWorldMap again;
    RecordReader back = RecordReader::FromBytes(saved);
    again.Load(back);
    if (back.StoppedEarly() || again.SaveToBytes() != saved) {
        std::fprintf(stderr, "re-read differs (stopped %d at %zu: %s)\n", back.StoppedEarly(),
                     back.ProblemOffset(), back.Problem().c_str());
        __builtin_trap();
    }

    // Nodes left by the normalise step lie inside the map.
    for (const cEdMapNode& node : map.vecNodes) {
        if (node.nX >= map.nWidth || node.nY >= map.nHeight) __builtin_trap();
        map.FindNodeAt(node.nX, node.nY);
        node.FirstCountingEntry([](int n) { return n % 2 == 0; }, [](int n) { return n * 7; }, 1);
    }
    if (!map.vecGrid.empty()) {
        // A bad pitch shift or a short grid takes the checked access (a log line and a
        // close request), never more.
        map.Cell(map.nStartX, map.nStartY);
        map.Cell(-1, map.nHeight);
    }
    // Resizing from a grid whose stored size and pitch need not agree.
    const auto small = [](std::int32_t v) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(v) % 70u);
    };
    if (map.SetSize(small(map.nWidth), small(map.nHeight)) == 1) {
        if (map.vecGrid.Size() != static_cast<unsigned>(map.nPitch * map.nHeight) ||
            map.nPitch < map.nWidth || map.nPitch >= 2 * map.nWidth + 1) {
            __builtin_trap();
        }
    }
    return 0;
}
