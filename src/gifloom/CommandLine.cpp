// SPDX-License-Identifier: GPL-3.0-or-later
#include "gifloom/CommandLine.h"

#include "gifloom/GifAssembler.h"
#include "gifloom/GifError.h"

#include <charconv>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <vector>

namespace gifloom {

namespace {

constexpr const char* kUsage =
    "Usage: gifloom -o OUT.gif [--delay CS] [--no-loop] IN.gif...\n"
    "       gifloom --help\n"
    "\n"
    "Joins the first image of each input GIF, in the order given, into one animated GIF89a.\n"
    "The compressed image data is copied unchanged; each input's colour table becomes its\n"
    "frame's local table and the screen is as large as the largest input.\n"
    "\n"
    "  -o OUT.gif    the animation to write; an existing file is replaced only on success\n"
    "  --delay CS    time each frame is shown, in hundredths of a second (0..65535, default 0)\n"
    "  --no-loop     play once instead of repeating (no NETSCAPE2.0 looping block)\n"
    "  --help        show this text\n"
    "\n"
    "Without arguments gifloom opens its window, \"Grimacer Animator\".\n"
    "Exit status: 0 on success, 1 on any error (the message goes to standard error).\n";

// Thrown for arguments that do not form a command.
class EUsageError : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct TCommand {
  bool ShowHelp = false;
  std::string OutputPath;
  std::vector<std::string> InputPaths;
  TAssemblyOptions Options;
};

uint16_t ParseDelay(const std::string& text) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value > 65535)
    throw EUsageError("--delay takes a whole number of hundredths of a second, 0 to 65535.");
  return uint16_t(value);
}

const std::string& ValueOf(std::span<const std::string> arguments, size_t& index) {
  if (index + 1 >= arguments.size()) throw EUsageError(arguments[index] + " needs a value.");
  return arguments[++index];
}

TCommand ParseCommand(std::span<const std::string> arguments) {
  TCommand command;
  bool optionsEnded = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-")
      command.InputPaths.push_back(argument);
    else if (argument == "--")
      optionsEnded = true;
    else if (argument == "--help" || argument == "-h")
      command.ShowHelp = true;
    else if (argument == "-o")
      command.OutputPath = ValueOf(arguments, i);
    else if (argument == "--delay")
      command.Options.DelayCentiseconds = ParseDelay(ValueOf(arguments, i));
    else if (argument == "--no-loop")
      command.Options.Loop = false;
    else
      throw EUsageError("Unknown option " + argument + ".");
  }
  return command;
}

void CheckComplete(const TCommand& command) {
  if (command.OutputPath.empty()) throw EUsageError("No output file given (-o OUT.gif).");
  if (command.InputPaths.empty()) throw EUsageError("No input GIF files given.");
}

}  // namespace

int RunCommandLine(std::span<const std::string> arguments, std::ostream& out, std::ostream& err) {
  try {
    const TCommand command = ParseCommand(arguments);
    if (command.ShowHelp) {
      out << kUsage;
      return 0;
    }
    CheckComplete(command);
    AssembleAnimatedGif(command.InputPaths, command.OutputPath, command.Options);
    return 0;
  } catch (const EUsageError& error) {
    err << "gifloom: " << error.what() << "\nTry 'gifloom --help'.\n";
  } catch (const std::exception& error) {
    err << error.what() << "\n";
  }
  return 1;
}

}  // namespace gifloom
