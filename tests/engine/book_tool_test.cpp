#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <filesystem>
#include "engine_test_util.h"

using namespace std::chrono_literals;
using namespace std::string_literals;
using namespace sumgrid::engine::testing;

namespace {

// A folder of this run's own, so that runs side by side do not meet; removed at exit.
namespace fs = std::filesystem;
const fs::path folder = fs::temp_directory_path() / ("sumgrid-book-" + std::to_string(getpid()));
const bool ready = fs::create_directories(folder) && !std::atexit([] { fs::remove_all(folder); });
std::string scratch(const std::string& name) { return (folder / name).string(); }
void put(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// The real sumgrid-book run by the shell, input piped in, ended should it ever wait; args may
// redirect its output or pipe it on. With terminal, its output goes to a terminal and it is ended
// after three seconds.
ToolRun process(const std::string& args, const std::string& input = "", bool terminal = false) {
    put(scratch("in"), input);
    const std::string run = (terminal ? "timeout 3 " : "timeout 10 ") + std::string(SUMGRID_BOOK " ") + args;
    const std::string shell = "cat " + scratch("in") + " | " + (terminal ? "script -qc '" + run + "' /dev/null" : "(" + run + ")");
    const int s = std::system((shell + " >" + scratch("out") + " 2>" + scratch("err")).c_str());
    return {WEXITSTATUS(s), slurp(scratch("out")), slurp(scratch("err"))};
}

// A book of three 4x4 LEVEL-1 puzzles: 20 header bytes, then records of 37.
std::string smallBook(const std::string& name) {
    EXPECT_EQ(process("generate --level 1 --count 3 --side 4 --seed 5 --jobs 1 -o " + scratch(name)).status, 0);
    return scratch(name);
}

}  // namespace

// Faults: their status, lines on standard error naming the file. What is not a regular file (a
// FIFO) is refused at once, and so is a file too large to read in; no input is written over,
// however spelt; nothing is written. A puzzle the grader cannot finish is still proved unique: a
// warning, unless a level below LEVEL-5 is asked. A book named for a span of levels holds each
// puzzle to its own level within the span.
TEST(BookTool, ReportsFaultsOnStandardErrorAndRefusesWhatItMustNotTouch) {
    const std::string book = smallBook("good.wobe"), broken = scratch("broken.wobe"), far = scratch("far.wobe"),
                      rows = scratch("rows.wobe"), text = scratch("bad.txt"), fifo = scratch("fifo"),
                      made = scratch("made"), beyond = scratch("beyond.wobe"), huge = scratch("huge.wobe");
    std::string b = slurp(book), c = b;
    std::swap(c[57 + 5 + 16], c[57 + 5 + 17]);  // puzzle 2: two solution digits swapped
    c[94] = 'X';                                // puzzle 3: its record magic
    put(broken, c);
    put(far, b.replace(12, 4, std::string("\xff\xff\0\0", 4)));  // puzzle 2 at offset 65535
    for (int cell = 0; cell < 16; ++cell) c[25 + cell] = static_cast<char>(cell / 4);  // rows as cages
    put(rows, c);
    put(text, "AABBAABBCCDDCCDD 10,10,10,10\nAAAAA 1\n");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::create_hard_link(book, scratch("linked.wobe"));
    fs::copy_file(book, huge);
    fs::resize_file(huge, (64u << 20) + 1);  // a good book with a hole after it: too large to read in
    ASSERT_EQ(process("import " SUMGRID_SOURCE_DIR "/tests/engine/beyond-the-grader.txt -o " + beyond).status, 0);
    const std::string mixed = scratch("6x6-LEVELS-1-2.wobe"), higher = scratch("6x6-LEVELS-2-3.wobe");
    ASSERT_EQ(process("generate --side 6 --level 1-2 --count 4 --seed 3 -o " + mixed).status, 0);
    EXPECT_EQ(process("validate " + mixed).out, mixed + ": 4 puzzles valid, each with one solution; LEVEL-1 x2 LEVEL-2 x2\n");
    fs::copy_file(mixed, higher);
    const std::string bookBytes = slurp(book), fifoFault = fifo + " is not a regular file\n";
    const std::vector<std::tuple<std::string, int, std::string>> faults = {
        {"inspect " + far, 1, far + ": puzzle 2: offset 65535 lies outside the file\n"},
        {"inspect " + broken + " 2", 1, broken + ": puzzle 2: solution repeats a digit in column"},
        {"validate " + broken, 1, broken + ": puzzle 3: record at offset 94 does not begin"},
        {"validate " + rows, 1, rows + ": puzzle 1: more than one solution\n"},
        {"export " + broken, 1, broken + ": puzzle 2: solution repeats a digit in column"},
        {"inspect " + scratch("none"), 1, "sumgrid-book: cannot open " + scratch("none")},
        {"import " + text + " -o " + made, 1, text + ": line 1: more than one solution\n"},
        {"inspect " + fifo, 1, fifoFault},
        {"validate " + huge, 1, huge + " is larger than 67108864 bytes\n"},
        {"import " + fifo + " -o " + made, 1, fifoFault},
        {"import " + book + " -o " + fifo, 1, fifoFault},
        {"generate --level 1 --count 1 -o " + fifo, 1, fifoFault},
        {"inspect " + scratch("."), 1, scratch(".") + " is not a regular file\n"},
        {"export " + book + " -o " + book, 1, "will not write over the input " + book + " (-o " + book + ")\n"},
        {"export " + book + " -o " + scratch("./good.wobe"), 1, "will not write over the input " + book},
        {"export " + book + " -o " + scratch("linked.wobe"), 1, "will not write over the input " + book},
        {"generate --level 1 --count 12x -o x", 2, "--count must be a number from 1 to 32767, not \"12x\"\nusage:"},
        {"generate --level 1 --count 1 --side 7 -o x", 2, "--side 7 has no box shape\nusage:"},
        {"validate " + beyond, 0, beyond + ": puzzle 1: warning: beyond the grader, which stops with 1 of 81 cells; the search"},
        {"validate " + beyond + " --level 3", 1, beyond + ": puzzle 1: beyond the grader, expected LEVEL-3\n"},
        {"validate " + higher, 1, higher + ": puzzle 1: graded LEVEL-1, expected LEVEL-2 to LEVEL-3\n"},
        {"explain " + broken + " 2", 1, broken + ": puzzle 2: solution repeats a digit in column"},
        {"explain " + far + " 2", 1, far + ": puzzle 2: offset 65535 lies outside the file\n"},
        {"generate --side 4 --level 4 --count 1 -o " + made, 1, "LEVEL-4 is out of reach on a 4x4 grid, which gives"},
    };
    for (const auto& [args, status, message] : faults) {
        const ToolRun r = process(args);
        EXPECT_EQ(r.status, status) << args;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_EQ(r.out.find(message), std::string::npos) << r.out;
        std::string line, file;
        std::istringstream lines(r.err), words(args);
        for (words >> file >> file; status == 1 && std::getline(lines, line);)
            EXPECT_TRUE(line.rfind(file + ": ", 0) == 0 || line.rfind("sumgrid-book: ", 0) == 0) << line;
    }
    EXPECT_NE(process("inspect " + broken + " 2").out.find("solution:"), std::string::npos) << "drawn all the same";
    EXPECT_NE(process("inspect " + beyond).out.find("17 cages, beyond the grader\nsteps: "), std::string::npos);
    EXPECT_NE(process("inspect " + far).out.find("\npuzzle 2 at offset 65535\n\n"), std::string::npos) << "a record not read: no more";
    EXPECT_EQ(process("explain " + far + " 1").status, 0) << "puzzle 2's fault is not puzzle 1's";
    EXPECT_EQ(slurp(book), bookBytes);
    EXPECT_FALSE(fs::exists(made));
}

// "-" is standard input, or standard output after -o: a book made again from its seed,
// or exported and imported, is the same.
TEST(BookTool, DashIsStandardInputAndOutput) {
    const std::string book = smallBook("dash.wobe"), bytes = slurp(book), text = tool({"export", book}).out;
    const std::vector<std::tuple<std::string, std::string, std::string>> runs = {
        {"inspect - 2", bytes, "-" + tool({"inspect", book, "2"}).out.substr(book.size())},
        {"validate - --level 1", bytes, "-: 3 puzzles valid, each with one solution; LEVEL-1 x3\n"},
        {"export - -o -", bytes, text},
        {"import - -o -", text, bytes},
        {"generate --level=1 --count=3 --side=4 --seed=0x5 --jobs=3 -o -", "", bytes},  // as many threads as puzzles
        {"--version", "", "sumgrid-book " SUMGRID_VERSION "\n"},
    };
    for (const auto& [args, input, output] : runs) {
        const ToolRun r = process(args, input);
        EXPECT_EQ(r.err + std::to_string(r.status) + r.out, "0" + output) << args;  // all three at once
    }
    for (int level = 1; level <= 5; ++level) {  // every bundled book, through a pipe and back
        const std::string path = SUMGRID_SOURCE_DIR "/puzzles/LEVEL-" + std::to_string(level) + ".wobe";
        EXPECT_TRUE(process("export " + path + " -o - | " SUMGRID_BOOK " import - -o -").out == slurp(path)) << path;
    }
    EXPECT_EQ(text.rfind("# killer puzzles: cage labels, cage sums, solution (see sumgrid-book(6))\n", 0), 0u);
    // Cages that turn corners and fill a square, drawn with their sums, and the solution found.
    const std::string drawn = process("inspect -", process("import - -o -", "AABBACBBBCCABDDA 6,10,8,5,6,5").out).out;
    EXPECT_EQ(drawn.substr(drawn.find('+')), dataFile("data/inspect-4x4.txt"));
    EXPECT_NE(drawn.find(", 6 cages, LEVEL-2, score 2.0\n"), std::string::npos) << drawn;
    // Its path, step by step, whole and up to the first step of LEVEL-1.
    const std::string book4 = process("import - -o -", "AABBACBBBCCABDDA 6,10,8,5,6,5").out, path = dataFile("data/explain-4x4.txt");
    EXPECT_EQ(process("explain - 1", book4).out, path);
    EXPECT_EQ(process("explain - 1 --level 1", book4).out, path.substr(0, path.find('\n') + 1) + "stopped at the first step of LEVEL-1 or above\n");
}

// A progress line on standard error for work longer than a second (or than asked), only when standard
// error is a terminal; redrawn a few times a second, or at once after inspect's output erased it.
TEST(BookTool, ShowsProgressOnATerminalForLongWork) {
    const std::string book = smallBook("long.wobe"), text = scratch("long.txt");
    ASSERT_EQ(tool({"export", book, "-o", text}).status, 0);
    const std::vector<std::tuple<std::vector<std::string>, std::string, std::string>> work = {
        {{"generate", "--level", "1", "--count", "3", "--side", "4", "-o", scratch("made")}, "generating LEVEL-1", "1"},
        {{"inspect", book}, "inspecting", "3"},
        {{"validate", book}, "validating", "1"},
        {{"import", text, "-o", scratch("made")}, "importing", "1"},
        {{"export", book}, "exporting", "1"},
    };
    for (const auto& [args, what, last] : work) {
        const ToolRun shown = tool(args, {true, 0ms});
        EXPECT_EQ(shown.err.rfind("\r\033[K" + what + ": 1/3", 0), 0u) << shown.err;
        EXPECT_NE(shown.err.find("\r\033[K" + what + ": " + last + "/3"), std::string::npos) << shown.err;
        EXPECT_EQ(shown.err.substr(shown.err.size() - 4), "\r\033[K") << "erased at the end";
        EXPECT_EQ(tool(args, {true}).err, "") << what << " is short";
        EXPECT_EQ(tool(args, {false, 0ms}).err, "") << what << " is not on a terminal";
    }
    // The real tool, its standard error a terminal, on three seconds of long work.
    const std::string generate = "generate --level 1 --count 32767 -o " + scratch("huge");
    EXPECT_NE(process(generate, "", true).out.find("\r\033[Kgenerating LEVEL-1: "), std::string::npos);
    const std::string term = getenv("TERM") ? getenv("TERM") : "";
    setenv("TERM", "dumb", 1);  // a terminal that cannot erase a line
    EXPECT_EQ(process(generate, "", true).out, "");
    setenv("TERM", term.c_str(), 1);
    EXPECT_NE(process("generate --level 1 --count 1 -o -", "", true).out.find("will not write a binary book to a terminal; redirect"),
              std::string::npos);
    EXPECT_NE(process("export " + book, "", true).out.find("# killer puzzles: "), std::string::npos) << "text is for terminals";
}

// The command line as a Unix user has it, and output that never fails in silence: help on standard
// output, -- ending the options, usage errors exit 2, the output's folder tried before any work, a
// failed write told once with its reason, input bytes shown escaped, too many lines refused unsolved
// (each would have more than one solution). An expected standard error ending in a newline is all of it.
TEST(BookTool, FollowsUnixConventionsAndNeverFailsInSilence) {
    const std::string book = smallBook("unix.wobe"), made = scratch("made.wobe"), missing = scratch("none/x.wobe"),
                      full = " >/dev/full", noSpace = "sumgrid-book: write error: No space left on device\n";
    std::string many;
    for (int i = 0; i < 40000; ++i) many += "AABBAABBCCDDCCDD 10,10,10,10\n";
    const std::vector<std::tuple<std::string, std::string, int, std::string, std::string>> runs = {
        // arguments, standard input, status, start of standard output, standard error
        {"generate --help", "", 0, "usage: sumgrid-book generate --level N --count K -o FILE [--seed S] [--side G] [--jobs J]\n", ""},
        {"--help", "", 0, "usage:\n  sumgrid-book generate", ""},
        {"validate -- -x.wobe", "", 1, "", "sumgrid-book: cannot open -x.wobe: No such file or directory\n"},
        {"--version extra", "", 2, "", "sumgrid-book: The following argument was not expected: extra\nusage:"},
        {"--verbose", "", 2, "", "sumgrid-book: The following argument was not expected: --verbose\nusage:"},
        {"generate --level 1 --count 1 -o --", "", 2, "", "sumgrid-book: -o: takes a file name, not \"--\" (write ./--)\nusage:"},
        {"generate --level 5 --count 32767 -o " + missing, "", 1, "", "sumgrid-book: cannot write " + missing + ": No such file or directory\n"},
        {"import - -o " + made, many, 1, "", "-: more than 32767 puzzles\nsumgrid-book: nothing written\n"},
        {"import - -o " + made, "AABBAABBCCDDCC\0\xff 1\nAABBAABBCCDDCCDD 1\xff\n"s, 1, "",
         "-: line 1: cage label '\\x00' is not a letter or digit\n-: line 2: cage sum \"1\\xff\" is not a number up to 9999\nsumgrid-book: nothing written\n"},
        {"inspect " + book + full, "", 1, "", noSpace},
        {"validate " + book + full, "", 1, "", noSpace},
        {"--help" + full, "", 1, "", noSpace},
        {"--version" + full, "", 1, "", noSpace},
        {"generate --level 1 --count 1 -o " + made + full, "", 1, "", noSpace},
        {"export " + book + " -o -" + full, "", 1, "", noSpace},
    };
    for (const auto& [args, input, status, out, err] : runs) {
        const ToolRun r = process(args, input);
        EXPECT_EQ(r.status, status) << args;
        EXPECT_EQ(r.out.substr(0, out.size()), out) << args;
        EXPECT_EQ(err.back() == '\n' ? r.err : r.err.substr(0, err.size()), err) << args;
    }
    // A write that fails (at the file size limit here) leaves the file it would have replaced, and nothing beside it.
    put(made, "old");
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{1024, limit.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    const ToolRun r = tool({"generate", "--level", "1", "--count", "40", "-o", made});
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_EQ(r.err, "sumgrid-book: cannot write " + made + ": File too large\n");
    EXPECT_EQ(slurp(made), "old");
    for (const auto& file : fs::directory_iterator(folder)) EXPECT_NE(file.path().filename().string()[0], '.');
}
