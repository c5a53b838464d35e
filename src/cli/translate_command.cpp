// The three translations: load the model, apply the selection, run the
// command of ITarn as the modelling tool's menu entry does.
#include <iostream>

#include "cli/commands.hpp"
#include "cli/program_starter.hpp"

namespace tarn::cli {

int RunTranslation(const std::string& command, Options options) {
  if (options.run) options.answers.run = true;
  if (options.noRun) options.answers.run = false;
  const bool prompts = PromptsAllowed();
  if (!options.answers.output && !prompts)
    throw UsageError("no output file: give -o FILE (there is no terminal to ask for a file name)");

  auto model = LoadedModel::Load(options.model, ToLoadOptions(options));
  if (!options.select.empty()) model.Select(options.select);
  if (!options.diagram.empty()) model.ChooseDiagram(options.diagram);
  if (command == "objectz") WarnOfSuperclassCycles(model);

  Terminal terminal(options.answers, prompts, std::cin, std::cout, std::cerr);
  PosixProgramStarter starter;
  addin::ITarn tarn(addin::Platform{terminal, terminal, starter, terminal, Settings(options), Opener()});
  if (options.typeset) {
    const auto& front = options.frontMatter;
    tarn.TypesetFrontMatter = objectz::FrontMatter{model.ToModelText(front.title, "--title"),
                                                   model.ToModelText(front.author, "--author"),
                                                   model.ToModelText(front.date, "--date")};
  }
  if (command == "property-check") return ExitCodeOf(tarn.RunPropertyChecker(model.App()));
  if (command == "refinement-check") return ExitCodeOf(tarn.RunRefinementChecker(model.App()));
  return ExitCodeOf(tarn.RunGenerator(model.App()));
}

}  // namespace tarn::cli
