#include "commands.h"

#include <charconv>
#include <cstdint>
#include <ostream>
#include <stdexcept>

#include "file_io.h"

namespace sumgrid::tools {

namespace {

template <class Int>
Int parse(const std::string& text, Int low, Int high, const std::string& what) {
    Int value{};
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* first = text.data() + (hex ? 2 : 0);
    const char* last = text.data() + text.size();
    auto [end, ec] = std::from_chars(first, last, value, hex ? 16 : 10);
    if (text.empty() || ec != std::errc() || end != last || value < low || value > high)
        throw UsageError{what + " must be a number from " + std::to_string(low) + " to " + std::to_string(high) +
                         ", not \"" + text + "\""};
    return value;
}

}  // namespace

long long parseNumber(const std::string& text, long long low, long long high, const std::string& what) {
    return parse(text, low, high, what);
}

unsigned long long parseSeed(const std::string& text) {
    return parse<unsigned long long>(text, 0, UINT64_MAX, "--seed");
}

CLI::Option* addInput(CLI::App& command, std::string& path, const std::string& name, const std::string& what) {
    return command.add_option(name, path, what + ", - for standard input")->type_name("")->required();
}

CLI::Option* addOutput(CLI::App& command, std::string& path, const std::string& help) {
    return command.add_option("-o", path, help)->type_name("FILE")->check([](const std::string& name) {
        return name.size() > 1 && name[0] == '-' ? "takes a file name, not \"" + name + "\" (write ./" + name + ")"
                                                : std::string();
    });
}

std::string levelName(int level) { return "LEVEL-" + std::to_string(level); }

std::string plural(long long n, const std::string& noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

std::string escaped(const std::string& text) {
    static const char hex[] = "0123456789abcdef";
    std::string shown;
    for (const unsigned char c : text) {
        if (c >= 0x20 && c < 0x7f) {
            shown += static_cast<char>(c);
        } else {
            shown += "\\x";
            shown += hex[c >> 4];
            shown += hex[c & 15];
        }
    }
    return shown;
}

bool loadBook(const std::string& path, engine::BookContents& book, std::ostream& err) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!readInput(path, bytes, error, engine::kMaxBookBytes)) {
        err << "sumgrid-book: " << error << '\n';
        return false;
    }
    book = engine::readBook(bytes);
    return true;
}

void checkOutput(const std::string& path, const std::vector<std::string>& inputs, bool binary,
                 const Streams& streams) {
    if (path == "-" && binary && streams.outIsTerminal)
        throw std::runtime_error("will not write a binary book to a terminal; redirect standard output "
                                 "(-o - > FILE) or name a file after -o");
    std::string refusal = outputRefusal(path, inputs);
    if (refusal.empty() && path != "-") refusal = folderRefusal(path);
    if (!refusal.empty()) throw std::runtime_error(refusal);
}

bool save(const std::string& path, const std::vector<std::uint8_t>& bytes, const Streams& streams) {
    if (path == "-") {  // a failure shows when standard output is flushed and closed
        streams.out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return true;
    }
    std::string error;
    if (replaceFile(path, bytes, error)) return true;
    streams.err << "sumgrid-book: " << error << '\n';
    return false;
}

}  // namespace sumgrid::tools
