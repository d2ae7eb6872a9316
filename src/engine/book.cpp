#include "book.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "geometry.h"

namespace sumgrid::engine {

static void put32(std::vector<std::uint8_t>& out, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
}

static std::int32_t get32(const std::vector<std::uint8_t>& in, std::size_t at) {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(in[at + i]) << (8 * i);
    return static_cast<std::int32_t>(u);
}

std::vector<std::uint8_t> writeBook(const std::vector<Record>& records) {
    if (records.empty() || records.size() > static_cast<std::size_t>(kMaxBookPuzzles))
        throw std::invalid_argument("a book holds 1 to 32767 puzzles");
    std::vector<std::uint8_t> out{'W', 'O', 'B', 'E'};
    put32(out, static_cast<std::int32_t>(records.size()));
    std::size_t offset = 8 + 4 * records.size();
    for (const Record& r : records) {
        if (r.side < 1 || r.side > kMaxSide ||
            r.cageOf.size() != static_cast<std::size_t>(r.side * r.side) ||
            r.solution.size() != r.cageOf.size())
            throw std::invalid_argument("record with inconsistent grid side");
        put32(out, static_cast<std::int32_t>(offset));
        offset += 5 + 2 * r.cageOf.size();
    }
    for (const Record& r : records) {
        out.insert(out.end(), {'P', 'L', 'I', 'X', static_cast<std::uint8_t>(r.side)});
        out.insert(out.end(), r.cageOf.begin(), r.cageOf.end());
        out.insert(out.end(), r.solution.begin(), r.solution.end());
    }
    return out;
}

BookContents readBook(const std::vector<std::uint8_t>& bytes) {
    BookContents b;
    const std::size_t size = bytes.size();
    if (size < 8) {
        b.faults.push_back({0, "file is " + std::to_string(size) + " bytes, shorter than a book header (8 bytes)"});
        return b;
    }
    if (std::memcmp(bytes.data(), "WOBE", 4) != 0) {
        b.faults.push_back({0, "file does not begin with the book magic \"WOBE\""});
        return b;
    }
    b.count = get32(bytes, 4);
    if (b.count < 1 || b.count > kMaxBookPuzzles) {
        b.faults.push_back({0, "puzzle count " + std::to_string(b.count) + " is outside 1..32767"});
        return b;
    }
    const std::size_t tableEnd = 8 + 4 * static_cast<std::size_t>(b.count);
    if (tableEnd > size) {
        b.faults.push_back({0, "offset table of " + std::to_string(b.count) + " entries runs past the end of the file (" +
                                   std::to_string(size) + " bytes)"});
        return b;
    }
    b.headerOk = true;
    for (int k = 0; k < b.count; ++k) {
        const std::int32_t off = get32(bytes, 8 + 4 * static_cast<std::size_t>(k));
        b.offsets.push_back(off);
        Record r;
        const int n = k + 1;
        if (off < 0 || static_cast<std::size_t>(off) + 5 > size) {
            b.faults.push_back({n, "offset " + std::to_string(off) + " lies outside the file"});
            b.records.push_back(r);
            continue;
        }
        const std::size_t at = static_cast<std::size_t>(off);
        if (std::memcmp(bytes.data() + at, "PLIX", 4) != 0) {
            b.faults.push_back({n, "record at offset " + std::to_string(off) + " does not begin with \"PLIX\""});
            b.records.push_back(r);
            continue;
        }
        const int side = bytes[at + 4];
        if (side < 1 || side > kMaxSide) {
            b.faults.push_back({n, "grid side " + std::to_string(side) + " is outside 1.." + std::to_string(kMaxSide)});
            b.records.push_back(r);
            continue;
        }
        const std::size_t cells = static_cast<std::size_t>(side) * side;
        if (at + 5 + 2 * cells > size) {
            b.faults.push_back({n, "record at offset " + std::to_string(off) + " is cut short by the end of the file"});
            b.records.push_back(r);
            continue;
        }
        r.side = side;
        r.cageOf.assign(bytes.begin() + at + 5, bytes.begin() + at + 5 + cells);
        r.solution.assign(bytes.begin() + at + 5 + cells, bytes.begin() + at + 5 + 2 * cells);
        b.records.push_back(std::move(r));
    }
    return b;
}

bool readFileBytes(const std::string& path, std::vector<std::uint8_t>& out, std::string& error,
                   std::size_t maxBytes) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    std::vector<std::uint8_t> data;
    std::uint8_t chunk[65536];
    std::size_t got;
    bool tooBig = false;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        if (data.size() + got > maxBytes) {
            tooBig = true;
            break;
        }
        data.insert(data.end(), chunk, chunk + got);
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (tooBig) {
        error = path + " is larger than " + std::to_string(maxBytes) + " bytes";
        return false;
    }
    if (failed) {
        error = "cannot read " + path;
        return false;
    }
    out = std::move(data);
    return true;
}

}  // namespace sumgrid::engine
