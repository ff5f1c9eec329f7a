// korvane10-tool: checks, converts and dumps project files from the command line.

#include "cli/commands.h"
#include "model/project_file.h"
#include "text/codepage.h"
#include "text/errors.h"

#include <nlohmann/json.hpp>

#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

using nlohmann::ordered_json;

const char* const kUsage = R"(Usage: korvane10-tool COMMAND ARGUMENTS

Commands:
  check FILE.k10            read a project and print its counts
  convert IN.k10 OUT.k10    read a project and write it again with the project writer
  dump FILE.k10             print a project as JSON (UTF-8)
  catalog wires|transformers [DIR]  print a catalog file of DIR (default: here) as JSON (UTF-8)
  import-dos FILE OUT.k10   import a DOS file set (.ip, .lin) into a new project file
  calc FILE.k10 [OPTIONS]   calculate the network: voltage losses, currents, power losses, short circuits
      --dir DIR                 folder of the catalogs and koefnagr.dat (default: here)
      --source N|all            1-based source (default: all)
      --mode normal|N|all       the normal scheme, mode N, or the normal scheme and every mode (default)
      --method exact|engineering  load flow: the exact sweep (default) or the engineering single pass
      --sc average|iec          short-circuit voltages: average voltage (default) or IEC 60909
      --max-loss PERCENT        permissible voltage loss (default 5)
      --bus-voltage PERCENT     voltage of the source's busbars, % of nominal, 90 to 115 (default 100)
      --format text|json|csv|csv-ru  output (default text); csv-ru for a Russian spreadsheet:
                                ';', decimal comma, Russian headers, UTF-8 with BOM
  --help                    show this text

Exit codes: 0 done, 1 the file could not be read or written (the message names it), 2 wrong usage.
A scheme that the calculation refuses is a result: its problems are printed and the exit code is 0.
)";

using k10cli::UsageError;

std::string utf8(std::string_view cp1251) { return k10::cp1251ToUtf8(cp1251); }

ordered_json modeToJson(const TModeWork& m) {
    return {{"L_Begin", utf8(m.L_Begin.view())}, {"L_End", utf8(m.L_End.view())},
            {"Uzel_Begin", utf8(m.Uzel_Begin)},   {"Uzel_End", utf8(m.Uzel_End)},
            {"Dlina", m.Dlina},                    {"Provod", utf8(m.Provod)},
            {"Uzel_Off", utf8(m.Uzel_Off)},       {"Izm_Nagr", m.Izm_Nagr}};
}

ordered_json sectionToJson(const TLine& s) {
    return {{"L_Begin", utf8(s.L_Begin.view())}, {"L_End", utf8(s.L_End.view())}, {"Dlina", s.Dlina},
            {"Provod", utf8(s.Provod)},           {"Max_Nagr", utf8(s.Max_Nagr)},   {"Gr_Nagr", utf8(s.Gr_Nagr)},
            {"Trans", utf8(s.Trans)}};
}

ordered_json projectToJson(const TProect& project) {
    ordered_json sources = ordered_json::array();
    for (const TSource& source : project.Sources) {
        ordered_json modes = ordered_json::array();
        for (const TModeWork& mode : source.ModeWorks)
            modes.push_back(modeToJson(mode));
        ordered_json lines = ordered_json::array();
        for (const TLines& line : source.Lines) {
            ordered_json sections = ordered_json::array();
            for (const TLine& section : line.Sections)
                sections.push_back(sectionToJson(section));
            lines.push_back({{"Name", utf8(line.Name.view())}, {"Sections", std::move(sections)}});
        }
        sources.push_back({{"Name", utf8(source.Name.view())},
                           {"Code", source.Code},
                           {"Napr", source.Napr},
                           {"R_Max", source.R_Max},
                           {"X_Max", source.X_Max},
                           {"R_Min", source.R_Min},
                           {"X_Min", source.X_Min},
                           {"ModeWorks", std::move(modes)},
                           {"Lines", std::move(lines)}});
    }
    return {{"Sources", std::move(sources)}};
}

int check(const std::vector<std::string>& args) {
    if (args.size() != 1)
        throw UsageError{};
    TProect project = k10cli::onFile(args[0], [&] { return k10::readProject(args[0]); });
    long lines = 0, sections = 0, modes = 0;
    for (const TSource& source : project.Sources) {
        lines += source.LineCount();
        modes += source.ModeWorkCount();
        for (const TLines& line : source.Lines)
            sections += line.SectionCount();
    }
    std::cout << "sources: " << project.SourceCount() << ", lines: " << lines << ", sections: " << sections
              << ", modes: " << modes << '\n';
    return 0;
}

int convert(const std::vector<std::string>& args) {
    if (args.size() != 2)
        throw UsageError{};
    TProect project = k10cli::onFile(args[0], [&] { return k10::readProject(args[0]); });
    k10cli::onFile(args[1], [&] { k10::writeProject(args[1], project); });
    return 0;
}

int dump(const std::vector<std::string>& args) {
    if (args.size() != 1)
        throw UsageError{};
    TProect project = k10cli::onFile(args[0], [&] { return k10::readProject(args[0]); });
    std::cout << projectToJson(project).dump(2) << '\n';
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::map<std::string, k10cli::Command> commands = {
        {"check", check}, {"convert", convert}, {"dump", dump}, {"import-dos", k10cli::importDos},
        {"catalog", k10cli::catalog}, {"calc", k10cli::calc}};

    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    auto command = args.empty() ? commands.end() : commands.find(args[0]);
    try {
        if (command == commands.end())
            throw UsageError{};
        return command->second(std::vector<std::string>(args.begin() + 1, args.end()));
    } catch (const k10cli::HelpAsked&) {
        std::cout << kUsage;
        return 0;
    } catch (const UsageError& usage) {
        std::cerr << "korvane10-tool: " << (usage.message.empty() ? "wrong usage" : usage.message) << '\n'
                  << kUsage;
        return 2;
    } catch (const k10::Error& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
}
