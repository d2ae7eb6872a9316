#include "support/test_book.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <unistd.h>

std::vector<uint8_t> validGrid(int variant) {
    std::vector<uint8_t> digits;
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c)
            digits.push_back(uint8_t((r * 3 + r / 3 + c + variant) % 9 + 1));
    return digits;
}

TestPuzzle samplePuzzle(int variant) {
    TestPuzzle p;
    p.digits = validGrid(variant);
    uint8_t cage = 0;
    for (int r = 0; r < 9; ++r) {
        for (int c = 0; c < 9; ++c)
            p.cages.push_back(uint8_t(cage + c / 2));
        cage = uint8_t(cage + 5);
    }
    return p;
}

std::string le32(int32_t v) {
    const uint32_t u = uint32_t(v);
    return std::string{char(u & 0xff), char(u >> 8 & 0xff), char(u >> 16 & 0xff), char(u >> 24 & 0xff)};
}

std::string recordBytes(const TestPuzzle& p) {
    std::string bytes = "PLIX";
    bytes += char(p.side);
    bytes.append(p.cages.begin(), p.cages.end());
    bytes.append(p.digits.begin(), p.digits.end());
    return bytes;
}

std::string bookBytes(const std::vector<std::string>& records) {
    std::vector<int32_t> table;
    std::string rest;
    int32_t offset = int32_t(8 + 4 * records.size());
    for (const std::string& r : records) {
        table.push_back(offset + int32_t(rest.size()));
        rest += r;
    }
    return bookWithTable(int32_t(records.size()), table, rest);
}

std::string bookWithTable(int32_t count, const std::vector<int32_t>& table, const std::string& rest) {
    std::string bytes = "WOBE" + le32(count);
    for (int32_t offset : table)
        bytes += le32(offset);
    return bytes + rest;
}

ScratchDir::ScratchDir() {
    static std::atomic<int> serial{0};
    dir_ = (std::filesystem::temp_directory_path() /
            ("sumgrid-test-" + std::to_string(getpid()) + "-" + std::to_string(serial++)))
               .string();
    std::filesystem::create_directories(dir_);
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

std::string ScratchDir::path(const std::string& name) const { return dir_ + "/" + name; }

std::string ScratchDir::write(const std::string& name, const std::string& bytes) const {
    const std::string p = path(name);
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
}
