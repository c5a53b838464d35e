// The tarn program: the command line's subcommands and options, and the
// dispatch to the file of each subcommand.
#include <CLI/CLI.hpp>

#include <csignal>
#include <iostream>
#include <new>

#include "cli/commands.hpp"
#include "cli/process_setup.hpp"
#include "modelfile/load_error.hpp"

namespace tarn::cli {
namespace {

constexpr const char* kFooter = R"(Exit codes:
  0  success (also when the offer to start a tool is answered No)
  1  an error message was shown (bad model file, failed check, failed write, LaTeX errors)
  2  usage error (unknown option, missing -o without a terminal, unknown --select id)
  3  cancelled (the file name prompt was left empty)

Environment:
  TARN_SETTINGS  the settings file (default: $XDG_CONFIG_HOME/tarn/Tarn.ini or ~/.config/tarn/Tarn.ini)
  TARN_OPENER    the program that opens the Wizard address (default: xdg-open)
  TARN_PROMPT=1  show prompts even when standard input is not a terminal)";

// `selectHelp` describes --select; a command without it takes no selection.
void AddModelCommandOptions(CLI::App& command, Options& options, const std::string& selectHelp) {
  command.add_option("MODEL", options.model,
                     "the model file: Tarn's YAML, Rose petal (.mdl, .cat) or UML 2 XMI (.xmi, .uml), "
                     "told by its content")
      ->required();
  if (!selectHelp.empty())
    command.add_option("--select", options.select, selectHelp)
        ->type_name("ID")
        ->allow_extra_args(false);
  command.add_option("-o,--output", options.answers.output,
                     "write the document to FILE (without it, a prompt asks on a terminal)")
      ->type_name("FILE");
  auto* run = command.add_flag("--run", options.run, "start the external tool after writing, without asking");
  auto* noRun = command.add_flag("--no-run", options.noRun, "do not start the external tool, without asking");
  run->excludes(noRun);
  command.add_option("--path-map", options.pathMap,
                     "SYMBOL=DIR: the folder a $SYMBOL in a Rose unit's file name stands for (repeatable)")
      ->type_name("SYMBOL=DIR")
      ->allow_extra_args(false);
  command.add_option("--encoding", options.encoding,
                     "the code page of an XMI model's texts and of the documents written from it "
                     "(default windows-1252)")
      ->type_name("NAME");
}

int Main(int argc, char** argv) {
  CLI::App app("Tarn translates UML class models annotated with Z and Object-Z into formal specifications.",
               "tarn");
  app.footer(kFooter);
  app.set_version_flag("--version", "tarn 1.0.0");
  app.require_subcommand(1);
  Options options;
  app.add_option("--settings", options.settings, "the settings file to read and write instead of the default")
      ->type_name("FILE");

  auto* property = app.add_subcommand("property-check", "Z/EVES document for the property check of the selected class");
  AddModelCommandOptions(*property, options,
                         "select the class with this id instead of the model file's selection (in a Rose "
                         "model: its quid, qualified name or unique name)");
  auto* refinement = app.add_subcommand(
      "refinement-check",
      "Z/EVES document with the refinement proof obligations of the selected association "
      "(abstract class at its first role, concrete class at its second)");
  AddModelCommandOptions(*refinement, options,
                         "select the association with this id instead of the model file's selection; an "
                         "unnamed association is selected by its id too (in a Rose model: its quid, "
                         "qualified name or unique name). Example: --select refines");
  auto* objectz = app.add_subcommand("objectz", "Object-Z document of the first class diagram, for the Wizard type checker");
  AddModelCommandOptions(*objectz, options, "");
  objectz
      ->add_option("--diagram", options.diagram,
                   "translate this class diagram instead of the first one of the root package: its name, or "
                   "its package-qualified name (Package::Diagram, with or without the root package in front)")
      ->type_name("NAME");
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
  auto* typeset = app.add_subcommand(
      "typeset", "typeset a document that Tarn wrote into a PDF, with pdflatex and Tarn's style files");
  typeset
      ->add_option("DOCUMENT", options.document,
                   "a document Tarn wrote: a Z/EVES document or an Object-Z document")
      ->required();
  typeset->add_option("-o,--output", options.pdf, "write the PDF to FILE (default: the document's name with .pdf)")
      ->type_name("FILE");
  auto* config = app.add_subcommand("config", "show or change the Z/EVES command line and the Wizard address");
  config->add_option("--zeves-path", options.answers.zevesPath, "the command line that starts Z/EVES")
      ->type_name("TEXT");
  config->add_option("--wizard-url", options.answers.wizardUrl, "the address that opens the Wizard type checker");
  app.add_subcommand("about", "what Tarn is");
  auto* dump = app.add_subcommand("dump", "print the model as Tarn reads it, in the native YAML format");
  dump->add_option("MODEL", options.model, "the model file")->required();
  dump->add_option("--path-map", options.pathMap, "SYMBOL=DIR for Rose units (repeatable)")
      ->type_name("SYMBOL=DIR")
      ->allow_extra_args(false);
  dump->add_option("--encoding", options.encoding, "the code page of an XMI model's texts")
      ->type_name("NAME");
  for (auto* command : app.get_subcommands({})) command->footer(kFooter);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int code = app.exit(error);
    return code == 0 ? kSuccess : kUsage;
  }

  const auto* chosen = app.get_subcommands().front();
  const auto name = chosen->get_name();
  try {
    if (name == "config") return RunConfig(options);
    if (name == "about") return RunAbout(options);
    if (name == "dump") return RunDump(options);
    if (name == "typeset") return RunTypeset(options);
    return RunTranslation(name, options);
  } catch (const UsageError& error) {
    std::cerr << "tarn " << name << ": " << Printable(error.Message()) << "\n";
    return kUsage;
  } catch (const modelfile::LoadError& error) {
    // From its parts: what() would end at a NUL byte of the message.
    std::cerr << Printable(error.File() + ":" + std::to_string(error.Line()) + ":" +
                           std::to_string(error.Column()) + ": " + error.Message())
              << "\n";
    return kErrorShown;
  } catch (const Error& error) {
    std::cerr << Printable(error.Description()) << "\n";
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
