// The tarn program: the command line's subcommands and options, and the
// dispatch to the file of each subcommand. Unknown subcommands and options
// are named with the known word they most likely stand for.
#include <CLI/CLI.hpp>
#include <csignal>
#include <iostream>
#include <map>
#include <new>
#include <regex>

#include "cli/commands.hpp"
#include "cli/completion.hpp"
#include "cli/process_setup.hpp"
#include "cli/suggest.hpp"
#include "modelfile/load_error.hpp"

namespace tarn::cli {
namespace {

// What each command's exit codes mean, shown under its help. Every command
// exits 2 on a usage error.
const std::map<std::string, std::string>& ExitCodes() {
  static const std::string kTranslation =
      "  0  the document was written (also when the offer to start a tool is answered No); with --all, "
      "every document\n"
      "  1  an error was reported: the model file, a check, the write, starting the tool (the document is "
      "kept)\n"
      "  2  usage error (unknown option, no -o without a terminal, unknown --select id, -o naming a file of "
      "the model)\n"
      "  3  cancelled: the file name prompt was answered with nothing\n";
  static const std::string kModelRead =
      "  0  the model was read\n"
      "  1  the model file could not be read (its errors are reported)\n";
  static const std::map<std::string, std::string> codes = {
      {"property-check", kTranslation},
      {"refinement-check", kTranslation},
      {"objectz", kTranslation},
      {"typeset", "  0  the PDF was written (overfull lines are warnings)\n"
                  "  1  LaTeX reported errors, or pdflatex could not be run; no PDF is written\n"
                  "  2  usage error (unknown option, - without -o, a PDF that would replace the document)\n"},
      {"list", kModelRead + "  2  usage error (unknown option, unknown --diagram)\n"},
      {"dump", kModelRead + "  2  usage error (unknown option)\n"},
      {"check", "  0  no errors (warnings may have been reported)\n"
                "  1  an item has an error, or the model file could not be read\n"
                "  2  usage error (unknown option, unknown --select id or --diagram)\n"},
      {"config", "  0  the settings were shown, or changed and shown\n"
                 "  1  the settings file could not be written\n"
                 "  2  usage error (unknown option, a value that is refused)\n"},
      {"about", "  0  shown\n  2  usage error\n"},
      {"help", "  0  shown\n  2  usage error (unknown command)\n"},
      {"completion", "  0  printed\n  2  usage error (unknown shell)\n"},
  };
  return codes;
}

constexpr const char* kEnvironment = R"(
Environment:
  TARN_SETTINGS  the settings file (default: $XDG_CONFIG_HOME/tarn/Tarn.ini or ~/.config/tarn/Tarn.ini)
  TARN_OPENER    the program that opens the Wizard address (default: xdg-open)
  TARN_PROMPT=1  show prompts even when standard input is not a terminal
)";

// The text under a command's help: its exit codes, the environment and its
// man page.
std::string CommandFooter(const std::string& name) {
  const auto page = name == "help" ? std::string("tarn") : "tarn-" + name;
  return "Exit codes:\n" + ExitCodes().at(name) + kEnvironment + "\nman " + page + " describes it in full.";
}

// The text under tarn's own help.
std::string MainFooter() {
  return "Exit codes:\n"
         "  0  success\n"
         "  1  an error was reported (a bad model file, a failed check, write or start; tarn check found an "
         "error)\n"
         "  2  usage error (unknown command or option, missing -o without a terminal, unknown --select id)\n"
         "  3  cancelled (the file name prompt of a translation was left empty)\n" +
         std::string(kEnvironment) + "\ntarn help COMMAND and man tarn-COMMAND describe a command and its exit codes.";
}

constexpr const char* kModelHelp =
    "the model file: Tarn's YAML, Rose petal (.mdl, .cat) or UML 2 XMI (.xmi, .uml), told by its content";

void PrintError(const std::string& message, const std::vector<std::string>& notes = {}) {
  auto diagnostic = Unplaced(Diagnostic::Severity::kError, message);
  for (const auto& note : notes) diagnostic.notes.push_back({std::nullopt, note});
  PrintText(std::cerr, diagnostic);
}

void AddModel(CLI::App& command, Options& options) {
  command.add_option("MODEL", options.model, kModelHelp)->required()->type_name("FILE");
  command
      .add_option("--encoding", options.encoding,
                  "the code page of an XMI model's texts and of the documents written from it "
                  "(default windows-1252)")
      ->type_name("ENCODING");
}

void AddPathMap(CLI::App& command, Options& options) {
  command
      .add_option("--path-map", options.pathMap,
                  "SYMBOL=DIR: the folder a $SYMBOL in a Rose unit's file name stands for (repeatable)")
      ->type_name("SYMBOL=DIR")
      ->allow_extra_args(false);
}

void AddSelect(CLI::App& command, Options& options, const std::string& help) {
  command.add_option("--select", options.select, help)->type_name("ID")->allow_extra_args(false);
}

void AddDiagram(CLI::App& command, Options& options, const std::string& help) {
  command.add_option("--diagram", options.diagram, help)->type_name("NAME");
}

void AddQuietVerbose(CLI::App& command, Options& options, const std::string& quietHelp) {
  if (!quietHelp.empty()) command.add_flag("-q,--quiet", options.quiet, quietHelp);
  command.add_flag("-v,--verbose", options.verbose, "name every file read (the model file, Rose units)");
}

// The options of the three translations.
void AddTranslation(CLI::App& command, Options& options) {
  AddModel(command, options);
  command
      .add_option(
          "-o,--output", options.answers.output,
          "write the document to FILE, - for standard output (without it, a prompt asks on a terminal)")
      ->type_name("FILE");
  auto* run = command.add_flag("--run", options.run, "start the external tool after writing, without asking");
  auto* noRun = command.add_flag("--no-run", options.noRun, "do not start the external tool, without asking");
  run->excludes(noRun);
  command.add_flag("--all", options.all,
                   "one document for every item the command can take, into --output-dir");
  command
      .add_option("--output-dir", options.outputDir,
                  "with --all: the folder of the documents (created if missing)")
      ->type_name("DIR");
  AddPathMap(command, options);
  AddQuietVerbose(command, options, "no success text");
}

CLI::App* AddCommand(CLI::App& app, const std::string& name, const std::string& description,
                     Options& options) {
  auto* command = app.add_subcommand(name, description);
  command->footer(CommandFooter(name));
  command->allow_extras();  // named by Main, with a suggestion
  command
      ->add_option("--settings", options.settings,
                   "the settings file to read and write instead of the default")
      ->type_name("FILE");
  return command;
}

void DefineCommands(CLI::App& app, Options& options, std::string& helpTopic, std::string& shell) {
  auto* property = AddCommand(app, "property-check",
                              "Z/EVES document for the property check of the selected class", options);
  AddTranslation(*property, options);
  AddSelect(*property, options,
            "select the class with this id instead of the model file's selection: its id in a Tarn model file, "
            "its quid in a Rose model, its xmi:id in XMI, or there its qualified or unique name");

  auto* refinement =
      AddCommand(app, "refinement-check",
                 "Z/EVES document with the refinement proof obligations of the selected association "
                 "(abstract class at its first role, concrete class at its second)",
                 options);
  AddTranslation(*refinement, options);
  AddSelect(
      *refinement, options,
      "select the association with this id instead of the model file's selection: its id in a Tarn model "
      "file, its quid in a Rose model, its xmi:id in XMI, or there its qualified or unique name");

  auto* objectz = AddCommand(
      app, "objectz", "Object-Z document of the first class diagram, for the Wizard type checker", options);
  AddTranslation(*objectz, options);
  AddDiagram(*objectz, options,
             "translate this class diagram instead of the first one of the root package: its name, or its "
             "package-qualified name (Package::Diagram, with or without the root package in front)");
  auto* typesetFlag = objectz->add_flag(
      "--typeset", options.typeset,
      "write the document for oz.sty, to be typeset with pdflatex (see tarn typeset), instead of for the Wizard "
      "type checker");
  const struct {
    const char* option;
    const char* help;
    std::string* value;
  } frontMatter[] = {{"--title", "the document's title (LaTeX text)", &options.frontMatter.title},
                     {"--author", "the document's author (LaTeX text)", &options.frontMatter.author},
                     {"--date", "the document's date (LaTeX text)", &options.frontMatter.date}};
  for (const auto& field : frontMatter)
    objectz->add_option(field.option, *field.value, field.help)->type_name("TEXT")->needs(typesetFlag);

  auto* typeset = AddCommand(
      app, "typeset", "typeset a document that Tarn wrote into a PDF, with pdflatex and Tarn's style files", options);
  typeset
      ->add_option("DOCUMENT", options.document, "a document Tarn wrote: a Z/EVES document or an Object-Z document; - reads standard input")
      ->required()
      ->type_name("FILE");
  typeset->add_option("-o,--output", options.pdf, "write the PDF to FILE (default: the document's name with .pdf; needed with -)")
      ->type_name("FILE");
  typeset->add_flag("-q,--quiet", options.quiet, "no success text");

  auto* list =
      AddCommand(app, "list",
                 "the classes, associations and class diagrams of a model, with their ids and what each "
                 "command can take",
                 options);
  AddModel(*list, options);
  AddDiagram(*list, options, "list only this class diagram and what it shows");
  list->add_flag("--ids", options.ids, "print only the ids that --select takes, one a line");
  list->add_flag("--described", options.described,
                 "with --ids, follow each id with a tab and the item's qualified name");
  list->add_option("--for", options.listFor,
                   "with --ids, only the ids that this command takes: property-check (classes) or "
                   "refinement-check (associations)")
      ->type_name("COMMAND")
      ->check(CLI::IsMember({"property-check", "refinement-check"}));
  list->add_flag("--diagram-names", options.diagramNames,
                 "print only the names that --diagram takes, one a line");
  AddPathMap(*list, options);
  AddQuietVerbose(*list, options, "");

  auto* check = AddCommand(app, "check",
                           "run every check of the three commands on the model, without writing, and warn "
                           "about likely mistakes",
                           options);
  AddModel(*check, options);
  AddSelect(*check, options, "check only these classes and associations (repeatable)");
  AddDiagram(*check, options, "check this class diagram instead of the first one");
  check
      ->add_option("--format", options.format,
                   "text (on standard error) or json (JSON lines on standard output)")
      ->type_name("FORMAT");
  check->add_flag("--types", options.types,
                  "type-check the Z of the documents property-check and refinement-check would write, and tell each "
                  "error at the model text it came from; MODEL may also be a Z/EVES document (.zed) to check as it "
                  "stands");
  AddPathMap(*check, options);
  AddQuietVerbose(*check, options, "no summary line");

  auto* config =
      AddCommand(app, "config", "show or change the Z/EVES command line and the Wizard address", options);
  config
      ->add_option("--zeves-path", options.answers.zevesPath,
                   "Z/Eves Path: the command line that starts Z/EVES; a {file} in it stands for the document "
                   "written")
      ->type_name("TEXT");
  config
      ->add_option("--wizard-url", options.answers.wizardUrl,
                   "Wizard URL: the address that opens the Wizard type checker")
      ->type_name("URL");
  config->add_flag("--edit", options.edit,
                   "ask for each value on the terminal (Z/Eves Path, Wizard URL), then OK or Cancel");
  config->add_flag("-q,--quiet", options.quiet, "after a change, do not show the settings");
  AddCommand(app, "about", "what Tarn is", options);
  auto* dump =
      AddCommand(app, "dump", "print the model as Tarn reads it, in the native YAML format", options);
  AddModel(*dump, options);
  AddPathMap(*dump, options);
  AddQuietVerbose(*dump, options, "");
  auto* help = AddCommand(app, "help", "describe tarn, or one of its commands", options);
  help->add_option("COMMAND", helpTopic, "the command to describe");
  auto* completion =
      AddCommand(app, "completion", "print the shell completion script for bash, zsh or fish", options);
  completion->add_option("SHELL", shell, "bash, zsh or fish")->required();
}

std::vector<std::string> CommandNames(const CLI::App& app) {
  std::vector<std::string> names;
  for (const auto* command : app.get_subcommands([](const CLI::App*) { return true; }))
    names.push_back(command->get_name());
  return names;
}

std::vector<std::string> OptionNames(const CLI::App& command) {
  std::vector<std::string> names;
  for (const auto* option : command.get_options()) {
    for (const auto& name : option->get_lnames()) names.push_back("--" + name);
    for (const auto& name : option->get_snames()) names.push_back("-" + name);
  }
  return names;
}

// Finds the subcommand word before CLI11 sees the arguments, so that an
// unknown one is named with a suggestion. Returns false after reporting.
bool CheckCommandWord(const CLI::App& app, int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--settings") {
      ++i;
      continue;
    }
    if (word.starts_with("--settings=")) continue;
    if (word == "-h" || word == "--help" || word == "--version" || word == "--") return true;
    const auto commands = CommandNames(app);
    if (word.starts_with("-")) {
      auto guess = DidYouMean(word, OptionNames(app));
      std::vector<std::string> notes;
      if (!guess.empty()) notes.push_back("did you mean " + guess + "?");
      // An option of a command, given before the command.
      for (const auto& name : commands)
        if (guess.empty()) {
          guess = DidYouMean(word, OptionNames(*app.get_subcommand(name)));
          if (!guess.empty())
            notes.push_back("did you mean " + guess + "? It goes after the command, as in tarn " + name +
                            " ... " + guess);
        }
      PrintError("unknown option " + word, notes);
      return false;
    }
    if (std::find(commands.begin(), commands.end(), word) != commands.end()) return true;
    const auto guess = DidYouMean(word, commands);
    std::string known;
    for (const auto& name : commands) known += (known.empty() ? "" : ", ") + name;
    PrintError("unknown command " + word,
               {guess.empty() ? "the commands are " + known : "did you mean " + guess + "?"});
    return false;
  }
  return true;
}

// Names the first word that the chosen command did not take.
bool CheckLeftOver(const CLI::App& app, const CLI::App& command) {
  const auto left = command.remaining();
  if (left.empty()) return true;
  const auto& word = left.front();
  std::vector<std::string> notes;
  if (word.starts_with("-")) {
    auto candidates = OptionNames(command);
    const auto global = OptionNames(app);
    candidates.insert(candidates.end(), global.begin(), global.end());
    const auto guess = DidYouMean(word.substr(0, word.find('=')), candidates);
    if (!guess.empty()) notes.push_back("did you mean " + guess + "?");
    notes.push_back("tarn help " + command.get_name() + " lists its options");
    PrintError("unknown option " + word + " of tarn " + command.get_name(), notes);
  } else {
    PrintError("unexpected argument " + word + " of tarn " + command.get_name(),
               {"tarn help " + command.get_name() + " shows what it takes"});
  }
  return false;
}

int Help(const CLI::App& app, const std::string& topic) {
  if (topic.empty()) {
    std::cout << app.get_formatter()->make_help(&app, "tarn", CLI::AppFormatMode::Normal);
    return kSuccess;
  }
  const auto commands = CommandNames(app);
  if (std::find(commands.begin(), commands.end(), topic) == commands.end()) {
    const auto guess = DidYouMean(topic, commands);
    std::string known;
    for (const auto& name : commands) known += (known.empty() ? "" : ", ") + name;
    PrintError("unknown command " + topic,
               {guess.empty() ? "the commands are " + known : "did you mean " + guess + "?"});
    return kUsage;
  }
  std::cout << app.get_subcommand(topic)->help("tarn");
  return kSuccess;
}

// The command-line library's messages for the usual slips, in Tarn's words:
// "MODEL is required", "--output: 1 required FILE missing", "--output: At
// Most 1 required but received 2".
std::string InOurWords(const std::string& message, const std::string& command) {
  static const std::regex kRequired(R"(^(\S+) is required$)");
  static const std::regex kMissing(R"(^(\S+): \d+ required (\S+) missing$)");
  static const std::regex kAtMost(R"(^(\S+): At Most 1 required but received (\d+)$)");
  std::smatch match;
  if (std::regex_match(message, match, kRequired))
    return (command.empty() ? std::string("the command") : "tarn " + command) + " needs its " + match[1].str();
  if (std::regex_match(message, match, kMissing)) return match[1].str() + " needs a " + match[2].str() + " after it";
  if (std::regex_match(message, match, kAtMost))
    return match[1].str() + " is given " + match[2].str() + " times; give it once";
  return message;
}

int Main(int argc, char** argv) {
  CLI::App app("Tarn translates UML class models annotated with Z and Object-Z into formal specifications.",
               "tarn");
  app.footer(MainFooter());
  app.set_version_flag("--version", "tarn " TARN_VERSION);
  app.require_subcommand(1);
  Options options;
  app.add_option("--settings", options.settings, "the settings file to read and write instead of the default")
      ->type_name("FILE");
  std::string helpTopic;
  std::string shell;
  DefineCommands(app, options, helpTopic, shell);

  if (argc == 1) {
    PrintError("no command given", {"tarn help lists the commands"});
    return kUsage;
  }
  if (!CheckCommandWord(app, argc, argv)) return kUsage;
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::cout << app.help();
    return kSuccess;
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) return app.exit(error);
    const auto parsed = app.get_subcommands();
    const std::string command = parsed.empty() ? std::string() : parsed.front()->get_name();
    PrintError(InOurWords(error.what(), command),
               {command.empty() ? "tarn help lists the commands"
                                : "tarn help " + command + " lists what tarn " + command + " takes"});
    return kUsage;
  }

  const auto* chosen = app.get_subcommands().front();
  if (!CheckLeftOver(app, *chosen)) return kUsage;
  const auto name = chosen->get_name();
  try {
    if (name == "help") return Help(app, helpTopic);
    if (name == "completion") return PrintCompletion(app, shell);
    if (name == "config") return RunConfig(options);
    if (name == "about") return RunAbout(options);
    if (name == "dump") return RunDump(options);
    if (name == "typeset") return RunTypeset(options);
    if (name == "list") return RunList(options);
    if (name == "check") return RunCheck(options);
    return RunTranslation(name, options);
  } catch (const UsageError& error) {
    PrintError(error.Message(), error.Notes());
    return kUsage;
  } catch (const modelfile::LoadError& error) {
    for (const auto& diagnostic : LoadDiagnostics(error)) PrintText(std::cerr, diagnostic);
    return kErrorShown;
  } catch (const Error& error) {
    PrintError(error.Description());
    return kErrorShown;
  }
}

// Main, with every failure that escapes it reported: whatever happens, the
// exit code says it, and an output file is either whole or as it was.
int MainReportingEveryFailure(int argc, char** argv) {
  int code = kErrorShown;
  try {
    code = Main(argc, argv);
  } catch (const std::bad_alloc&) {
    std::cerr << "tarn: error: out of memory: the model needs more memory than the system gives tarn\n";
  } catch (const std::exception& failure) {
    std::cerr << "tarn: error: unexpected failure: " << Printable(failure.what()) << "\n";
  } catch (...) {
    std::cerr << "tarn: error: unexpected failure\n";
  }
  // A document, a dump or a success text that did not reach standard output
  // is a failure too.
  if (const auto problem = FlushStandardOutput()) {
    std::cerr << "tarn: error: cannot write to standard output: " << *problem << "\n";
    if (code == kSuccess) code = kErrorShown;
  }
  return code;
}

}  // namespace
}  // namespace tarn::cli

int main(int argc, char** argv) {
  // Past a file size limit, a write should fail with an error Tarn reports
  // and cleans up after, not end the process half way.
  std::signal(SIGXFSZ, SIG_IGN);
  tarn::cli::KeepStandardStreamsOpen();
  tarn::cli::CleanUpOnTerminationSignals();
  return tarn::cli::MainReportingEveryFailure(argc, argv);
}
