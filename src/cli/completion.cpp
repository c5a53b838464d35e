#include "cli/completion.hpp"

#include <CLI/CLI.hpp>
#include <iostream>
#include <sstream>

#include "cli/commands.hpp"

namespace tarn::cli {
namespace {

struct OptionInfo {
  std::vector<std::string> names;  // with their dashes
  std::string description;
  std::string value;  // the type name of its value; "" for a flag
};

struct CommandInfo {
  std::string name;
  std::string description;
  std::vector<OptionInfo> options;
  std::string positional;  // the type name of its first positional; "" for none
};

std::vector<CommandInfo> Commands(const CLI::App& app) {
  std::vector<CommandInfo> commands;
  for (const auto* command : app.get_subcommands([](const CLI::App*) { return true; })) {
    CommandInfo info{command->get_name(), command->get_description(), {}, {}};
    for (const auto* option : command->get_options()) {
      if (option->get_positional()) {
        if (info.positional.empty()) info.positional = option->get_name();
        continue;
      }
      OptionInfo optionInfo{{}, option->get_description(), {}};
      for (const auto& name : option->get_lnames()) optionInfo.names.push_back("--" + name);
      for (const auto& name : option->get_snames()) optionInfo.names.push_back("-" + name);
      if (option->get_items_expected_max() > 0) optionInfo.value = option->get_type_name();
      info.options.push_back(std::move(optionInfo));
    }
    commands.push_back(std::move(info));
  }
  return commands;
}

std::string Joined(const std::vector<std::string>& words, const std::string& between = " ") {
  std::string text;
  for (const auto& word : words) text += (text.empty() ? "" : between) + word;
  return text;
}

std::vector<std::string> CommandNames(const std::vector<CommandInfo>& commands) {
  std::vector<std::string> names;
  for (const auto& command : commands) names.push_back(command.name);
  return names;
}

// The options of all commands whose value is of this type.
std::vector<std::string> OptionsOfType(const std::vector<CommandInfo>& commands, const std::string& type) {
  std::vector<std::string> names;
  for (const auto& command : commands)
    for (const auto& option : command.options)
      if (option.value == type)
        for (const auto& name : option.names)
          if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  return names;
}

// The options of all commands that take a value, but for those whose value
// is of one of the types in `except`.
std::vector<std::string> ValuedOptions(const std::vector<CommandInfo>& commands,
                                       const std::vector<std::string>& except = {}) {
  std::vector<std::string> names;
  for (const auto& command : commands)
    for (const auto& option : command.options)
      if (!option.value.empty() && std::find(except.begin(), except.end(), option.value) == except.end())
        for (const auto& name : option.names)
          if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  return names;
}

std::string Bash(const std::vector<CommandInfo>& commands) {
  std::ostringstream s;
  s << "# bash completion for tarn (tarn completion bash)\n"
       "_tarn_model() {\n"
       "  # The model file: the first word after the command that is not an option or an option's value.\n"
       "  local i word skip=\"|"
    << Joined(ValuedOptions(commands), "|") << "|\"\n"
       "  for ((i = $1 + 1; i < COMP_CWORD; i++)); do\n"
       "    word=${COMP_WORDS[i]}\n"
       "    if [[ $skip == *\"|$word|\"* ]]; then ((i++)); continue; fi\n"
       "    [[ $word == -* ]] && continue\n"
       "    _tarn_dequote \"$word\"; return\n"
       "  done\n"
       "}\n"
       "_tarn_dequote() {\n"
       "  # The word as the shell hands it to the program: quotes and backslashes removed, ~/ expanded.\n"
       "  local word=$1 out='' quote='' c j\n"
       "  for ((j = 0; j < ${#word}; j++)); do\n"
       "    c=${word:j:1}\n"
       "    if [[ $quote == \"'\" ]]; then [[ $c == \"'\" ]] && quote='' || out+=$c\n"
       "    elif [[ $c == '\\' ]]; then ((j++)); out+=${word:j:1}\n"
       "    elif [[ -n $quote ]]; then [[ $c == '\"' ]] && quote='' || out+=$c\n"
       "    elif [[ $c == \"'\" || $c == '\"' ]]; then quote=$c\n"
       "    else out+=$c; fi\n"
       "  done\n"
       "  [[ $out == '~/'* ]] && out=$HOME${out:1}\n"
       "  printf '%s\\n' \"$out\"\n"
       "}\n"
       "_tarn_for() {\n"
       "  # The ids a command takes: property-check only classes, refinement-check only associations.\n"
       "  case $1 in property-check|refinement-check) printf -- '--for\\n%s\\n' \"$1\" ;; esac\n"
       "}\n"
       "_tarn() {\n"
       "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} i command='' at=0 IFS=$'\\n'\n"
       "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
       "    case ${COMP_WORDS[i]} in\n"
       "      --settings) ((i++)) ;;\n"
       "      -*) ;;\n"
       "      *) command=${COMP_WORDS[i]}; at=$i; break ;;\n"
       "    esac\n"
       "  done\n"
       "  if [[ -z $command ]]; then\n"
       "    if [[ $prev == --settings ]]; then COMPREPLY=($(compgen -f -- \"$cur\")); return; fi\n"
       "    COMPREPLY=($(compgen -W $'"
    << Joined(CommandNames(commands), "\\n")
    << "\\n--settings\\n--help\\n--version' -- \"$cur\"))\n"
       "    return\n"
       "  fi\n"
       "  local model\n"
       "  model=$(_tarn_model \"$at\")\n"
       "  case $prev in\n";
  const auto valueCase = [&](const std::string& type, const std::string& action) {
    const auto names = OptionsOfType(commands, type);
    if (!names.empty()) s << "    " << Joined(names, "|") << ") " << action << "; return ;;\n";
  };
  valueCase("FILE", "COMPREPLY=($(compgen -f -- \"$cur\"))");
  valueCase("DIR", "COMPREPLY=($(compgen -d -- \"$cur\"))");
  valueCase("ID", "COMPREPLY=($(compgen -W \"$(tarn list \"$model\" --ids $(_tarn_for \"$command\") 2>/dev/null)\" -- \"$cur\"))");
  valueCase("NAME",
            "COMPREPLY=($(compgen -W \"$(tarn list \"$model\" --diagram-names 2>/dev/null)\" -- \"$cur\"))");
  valueCase("FORMAT", "COMPREPLY=($(compgen -W $'text\\njson' -- \"$cur\"))");
  // Any other value is typed, not completed.
  const auto typed = ValuedOptions(commands, {"FILE", "DIR", "ID", "NAME", "FORMAT"});
  if (!typed.empty()) s << "    " << Joined(typed, "|") << ") COMPREPLY=(); return ;;\n";
  s << "  esac\n"
       "  case $command in\n";
  for (const auto& command : commands) {
    std::vector<std::string> names;
    for (const auto& option : command.options)
      names.insert(names.end(), option.names.begin(), option.names.end());
    s << "    " << command.name << ")\n"
      << "      if [[ $cur == -* ]]; then COMPREPLY=($(compgen -W $'" << Joined(names, "\\n")
      << "' -- \"$cur\")); return; fi\n";
    if (command.positional == "MODEL" || command.positional == "DOCUMENT")
      s << "      [[ -z $model ]] && COMPREPLY=($(compgen -f -- \"$cur\")) ;;\n";
    else if (command.positional == "COMMAND")
      s << "      COMPREPLY=($(compgen -W $'" << Joined(CommandNames(commands), "\\n")
        << "' -- \"$cur\")) ;;\n";
    else if (command.positional == "SHELL")
      s << "      COMPREPLY=($(compgen -W $'bash\\nzsh\\nfish' -- \"$cur\")) ;;\n";
    else
      s << "      ;;\n";
  }
  s << "  esac\n"
       "}\n"
       "complete -o filenames -F _tarn tarn\n";
  return s.str();
}

// A description inside the brackets of a zsh _arguments spec.
std::string ZshDescription(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    if (c == '[' || c == ']' || c == ':' || c == '\\') escaped += '\\';
    escaped += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return escaped;
}

std::string ZshAction(const std::string& type, const std::vector<CommandInfo>& commands) {
  if (type == "FILE" || type == "MODEL" || type == "DOCUMENT") return "_files";
  if (type == "DIR") return "_files -/";
  if (type == "ID") return "_tarn_listed --ids";
  if (type == "NAME") return "_tarn_listed --diagram-names";
  if (type == "FORMAT") return "(text json)";
  if (type == "SHELL") return "(bash zsh fish)";
  if (type == "COMMAND") return "(" + Joined(CommandNames(commands)) + ")";
  return " ";
}

std::string Zsh(const std::vector<CommandInfo>& commands) {
  std::ostringstream s;
  s << "#compdef tarn\n"
       "# zsh completion for tarn (tarn completion zsh)\n"
       "_tarn_listed() {\n"
       "  # Ids or diagram names of the model file, the first word after the command that is not an option.\n"
       "  local model word\n"
       "  for word in ${words[2,CURRENT-1]}; do\n"
       "    [[ $word == -* ]] && continue\n"
       "    word=${(Q)word}\n"
       "    [[ $word == '~/'* ]] && word=$HOME${word#\\~}\n"
       "    [[ -f $word ]] && { model=$word; break; }\n"
       "  done\n"
       "  [[ -n $model ]] || return 1\n"
       "  local -a listed shown only\n"
       "  # property-check takes only classes, refinement-check only associations.\n"
       "  [[ $words[1] == (property|refinement)-check ]] && only=(--for $words[1])\n"
       "  if [[ $1 == --ids ]]; then\n"
       "    # Each id with its item's qualified name beside it.\n"
       "    listed=(${(f)\"$(tarn list $model --ids $only --described 2>/dev/null)\"})\n"
       "    shown=(${listed/$'\\t'/  -- })\n"
       "    listed=(${listed%%$'\\t'*})\n"
       "    compadd -l -d shown -a listed\n"
       "  else\n"
       "    listed=(${(f)\"$(tarn list $model $1 2>/dev/null)\"})\n"
       "    compadd -a listed\n"
       "  fi\n"
       "}\n"
       "_tarn() {\n"
       "  local curcontext=$curcontext state line\n"
       "  local -a commands\n"
       "  commands=(\n";
  for (const auto& command : commands)
    s << "    '" << command.name << ":" << ZshDescription(command.description) << "'\n";
  s << "  )\n"
       "  _arguments -C \\\n"
       "    '--settings[the settings file]:file:_files' \\\n"
       "    '(- *)'{-h,--help}'[show help]' \\\n"
       "    '(- *)--version[show the version]' \\\n"
       "    '1: :->command' \\\n"
       "    '*:: :->arguments'\n"
       "  case $state in\n"
       "    command) _describe -t commands 'tarn command' commands ;;\n"
       "    arguments)\n"
       "      case $words[1] in\n";
  for (const auto& command : commands) {
    s << "        " << command.name << ")\n          _arguments \\\n";
    for (const auto& option : command.options) {
      for (const auto& name : option.names) {
        s << "            '" << name << "[" << ZshDescription(option.description) << "]";
        if (!option.value.empty())
          s << ":" << ZshDescription(option.value) << ":" << ZshAction(option.value, commands);
        s << "' \\\n";
      }
    }
    if (!command.positional.empty())
      s << "            '1:" << command.positional << ":" << ZshAction(command.positional, commands)
        << "' \\\n";
    s << "            ;;\n";
  }
  s << "      esac ;;\n"
       "  esac\n"
       "}\n"
       "_tarn \"$@\"\n";
  return s.str();
}

std::string FishDescription(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "'";
}

std::string Fish(const std::vector<CommandInfo>& commands) {
  std::ostringstream s;
  const auto names = Joined(CommandNames(commands));
  s << "# fish completion for tarn (tarn completion fish)\n"
       "function __tarn_listed\n"
       "  # Ids or diagram names of the model file, the first word after the command that is not an option.\n"
       "  set -l tokens (commandline -opc)\n"
       "  set -l only\n"
       "  # property-check takes only classes, refinement-check only associations.\n"
       "  if contains -- $argv[1] --ids; and contains -- $tokens[2] property-check refinement-check\n"
       "    set only --for $tokens[2]\n"
       "  end\n"
       "  for word in $tokens[3..-1]\n"
       "    set word (string replace -r '^~/' \"$HOME/\" -- $word)\n"
       "    if not string match -q -- '-*' $word; and test -f $word\n"
       "      tarn list $word $only $argv 2>/dev/null\n"
       "      return\n"
       "    end\n"
       "  end\n"
       "end\n"
       "complete -c tarn -f\n"
       "complete -c tarn -n __fish_use_subcommand -l settings -r -F -d 'the settings file'\n"
       "complete -c tarn -n __fish_use_subcommand -l version -d 'show the version'\n"
       "complete -c tarn -n __fish_use_subcommand -s h -l help -d 'show help'\n";
  for (const auto& command : commands)
    s << "complete -c tarn -n __fish_use_subcommand -a " << command.name << " -d "
      << FishDescription(command.description) << "\n";
  for (const auto& command : commands) {
    const std::string when = "-n '__fish_seen_subcommand_from " + command.name + "'";
    for (const auto& option : command.options) {
      s << "complete -c tarn " << when;
      for (const auto& name : option.names)
        s << (name.starts_with("--") ? " -l " + name.substr(2) : " -s " + name.substr(1));
      const auto& type = option.value;
      if (type == "FILE" || type == "DIR")
        s << " -r -F";
      else if (type == "ID")
        s << " -x -a '(__tarn_listed --ids --described)'";
      else if (type == "NAME")
        s << " -x -a '(__tarn_listed --diagram-names)'";
      else if (type == "FORMAT")
        s << " -x -a 'text json'";
      else if (!type.empty())
        s << " -x";
      s << " -d " << FishDescription(option.description) << "\n";
    }
    if (command.positional == "MODEL" || command.positional == "DOCUMENT")
      s << "complete -c tarn " << when << " -F\n";
    if (command.positional == "COMMAND") s << "complete -c tarn " << when << " -x -a '" << names << "'\n";
    if (command.positional == "SHELL") s << "complete -c tarn " << when << " -x -a 'bash zsh fish'\n";
  }
  return s.str();
}

}  // namespace

int PrintCompletion(const CLI::App& app, const std::string& shell) {
  const auto commands = Commands(app);
  if (shell == "bash") {
    std::cout << Bash(commands);
  } else if (shell == "zsh") {
    std::cout << Zsh(commands);
  } else if (shell == "fish") {
    std::cout << Fish(commands);
  } else {
    throw UsageError("completion " + shell + ": the shells are bash, zsh and fish");
  }
  return kSuccess;
}

}  // namespace tarn::cli
