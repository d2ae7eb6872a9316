// What the commands of sumgrid-book share: each adds its subcommand, with its
// options and their help texts, to the tool, and hands back what runs it once
// the command line has chosen it. The helpers below are the commands' common
// steps: numbers from the command line, books in, files out.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "book.h"
#include "progress.h"

namespace sumgrid::tools {

// Where a command writes: its results on out, its complaints on err.
struct Streams {
    std::ostream& out;
    std::ostream& err;
    ProgressSettings progress;
    bool outIsTerminal = false;
};

struct Command {
    CLI::App* app;  // the subcommand, owned by the tool
    std::function<int(const Streams&)> run;  // the exit status
};

Command addGenerate(CLI::App& tool);
Command addInspect(CLI::App& tool);
Command addValidate(CLI::App& tool);
Command addExplain(CLI::App& tool);
Command addImport(CLI::App& tool);
Command addExport(CLI::App& tool);

// The input file, a positional argument called name: what it is, or - for standard input.
CLI::Option* addInput(CLI::App& command, std::string& path, const std::string& name, const std::string& what);

// The -o option: a file name, or - for standard output, but no other word
// that begins with a dash.
CLI::Option* addOutput(CLI::App& command, std::string& path, const std::string& help);

// Bad arguments found once the command line is parsed: exit status 2.
struct UsageError {
    std::string message;
};

// A decimal number, or hexadecimal after 0x, from low to high; otherwise a
// UsageError naming what.
long long parseNumber(const std::string& text, long long low, long long high, const std::string& what);
unsigned long long parseSeed(const std::string& text);

std::string levelName(int level);  // "LEVEL-3"
std::string plural(long long n, const std::string& noun);  // "1 puzzle", "2 puzzles"

// Bytes of a text shown in a message: control and non-ASCII bytes as \xHH.
std::string escaped(const std::string& text);

// Reads the book at path (- is standard input); false after a message on err.
bool loadBook(const std::string& path, engine::BookContents& book, std::ostream& err);

// Refuses, before any work, an output that may not or cannot be written: a
// file that is not regular, one of the inputs, a folder that takes no new
// file, a binary book to a terminal. Throws std::runtime_error.
void checkOutput(const std::string& path, const std::vector<std::string>& inputs, bool binary,
                 const Streams& streams);

// Writes bytes to path, or to out for -; false after a message on err.
bool save(const std::string& path, const std::vector<std::uint8_t>& bytes, const Streams& streams);

}  // namespace sumgrid::tools
