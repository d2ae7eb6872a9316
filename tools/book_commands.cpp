#include "book_commands.h"

#include <memory>
#include <ostream>
#include <stdexcept>

#include "commands.h"

namespace sumgrid::tools {

namespace {

const char kFooter[] =
    "A FILE or TEXTFILE of - is standard input, or standard output after -o.\n"
    "Levels run from 1 (easiest) to 5 (expert). The manual: sumgrid-book(6).";

// A command's usage line, from its options: the required ones bare, the others in brackets.
std::string synopsis(const CLI::App& command) {
    std::string line = "sumgrid-book " + command.get_name();
    for (const CLI::Option* o : command.get_options()) {
        if (o == command.get_help_ptr()) continue;
        const std::string part = o->get_positional() ? o->get_name() : o->get_name() + " " + o->get_type_name();
        line += " " + (o->get_required() ? part : "[" + part + "]");
    }
    return line;
}

// The usage lines of one command, or of every command.
std::string usage(const CLI::App& app) {
    if (app.get_parent()) return "usage: " + synopsis(app) + "\n";
    std::string lines = "usage:\n";
    for (const CLI::App* command : app.get_subcommands({})) lines += "  " + synopsis(*command) + "\n";
    return lines + "  sumgrid-book --version\n";
}

// Help begins with the usage lines, and then says what the command does.
class Help : public CLI::Formatter {
public:
    std::string make_description(const CLI::App*) const override { return ""; }
    std::string make_usage(const CLI::App* app, std::string) const override {
        return usage(*app) + app->get_description() + "\n";
    }
};

int usageError(const std::string& message, const CLI::App& app, std::ostream& err) {
    err << "sumgrid-book: " << message << '\n'
        << usage(app) << "See sumgrid-book"
        << (app.get_parent() ? " " + app.get_name() : "") << " --help, or sumgrid-book(6).\n";
    return 2;
}

}  // namespace

int runBookTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                ProgressSettings progress, bool outIsTerminal) {
    CLI::App tool{"sumgrid-book makes, checks and converts the puzzle books of Sumgrid.", "sumgrid-book"};
    tool.formatter(std::make_shared<Help>());
    tool.set_help_flag("-h,--help", "prints this help and exits");
    tool.footer(kFooter);
    bool version = false;
    tool.add_flag("--version", version, "prints the version and exits");
    tool.require_subcommand(0, 1);
    const std::vector<Command> commands = {addGenerate(tool), addInspect(tool), addValidate(tool), addExplain(tool),
                                           addImport(tool), addExport(tool)};
    const CLI::App* chosen = &tool;
    try {
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        tool.parse(reversed);
        for (const Command& command : commands) {
            if (!command.app->parsed()) continue;
            chosen = command.app;
            if (version) throw UsageError{"--version takes nothing else"};
            return command.run({out, err, progress, outIsTerminal});
        }
        if (!version) throw UsageError{"no command given"};
        out << "sumgrid-book " << SUMGRID_VERSION << '\n';
        return 0;
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) return tool.exit(e, out, err);  // --help
        const auto parsed = tool.get_subcommands();
        return usageError(e.what(), parsed.empty() ? tool : *parsed.front(), err);
    } catch (const UsageError& e) {
        return usageError(e.message, *chosen, err);
    } catch (const std::exception& e) {
        err << "sumgrid-book: " << e.what() << '\n';
        return 1;
    }
}

}  // namespace sumgrid::tools
