// The man page and the bash completion of a tool, made from its command
// table when the tool is built (tool --man-page, tool --bash-completion).
#include <cctype>
#include <string>

#include "cli/command.h"

namespace zel::cli {
namespace {

// roff text: hyphens and backslashes escaped, no line taken for a request.
std::string Roff(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else {
      out += c;
    }
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
  return out;
}

std::string Upper(const char* text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

void WriteOptionItem(const Option& o, std::FILE* out) {
  if (o.value != nullptr) {
    std::fprintf(out, ".TP\n.BI \"%s \" \"%s\"\n", Roff(o.name).c_str(), Roff(o.value).c_str());
  } else {
    std::fprintf(out, ".TP\n.B %s\n", Roff(o.name).c_str());
  }
  std::fprintf(out, "%s\n", Roff(o.help).c_str());
}

bool TakesPath(const char* operands, const char* word) { return std::string(operands).find(word) != std::string::npos; }

}  // namespace

void WriteManPage(const Tool& tool, std::FILE* out) {
  std::fprintf(out, ".TH %s 1\n.SH NAME\n%s \\- %s\n", Upper(tool.name).c_str(), tool.name, Roff(tool.summary).c_str());
  std::fprintf(out, ".SH SYNOPSIS\n.B %s\n.I COMMAND\n[\\fIOPTIONS\\fR] [\\fIOPERANDS\\fR]\n", tool.name);
  std::fprintf(out, ".br\n.B %s\n[\\fB\\-\\-help\\fR] [\\fB\\-\\-version\\fR]\n", tool.name);
  std::fprintf(out, ".SH COMMANDS\n");
  for (const Command& c : tool.commands) {
    std::fprintf(out, ".SS \"%s\"\n%s\n", Roff(UsageLine(tool.name, c)).c_str(), Roff(c.summary).c_str());
    if (c.operands[0] != '\0') std::fprintf(out, ".PP\nOperands: \\fI%s\\fR\n", Roff(c.operands).c_str());
    if (c.details != nullptr) {
      std::fprintf(out, ".PP\n.nf\n");
      std::string line;
      for (const char* p = c.details; *p != '\0'; ++p) {
        if (*p != '\n') {
          line += *p;
          continue;
        }
        std::fprintf(out, "%s\n", Roff(line).c_str());
        line.clear();
      }
      if (!line.empty()) std::fprintf(out, "%s\n", Roff(line).c_str());
      std::fprintf(out, ".fi\n");
    }
    for (const Option& o : c.options) WriteOptionItem(o, out);
    WriteOptionItem(Option{"--help", nullptr, "show the options of this command"}, out);
  }
  std::fprintf(out, ".SH OPTIONS\n");
  WriteOptionItem(Option{"--help", nullptr, "list the commands"}, out);
  WriteOptionItem(Option{"--version", nullptr, "print the version"}, out);
  std::fprintf(out, ".SH EXIT STATUS\n0 on success, 1 when the command failed, 2 when the command line was not understood.\n");
}

void WriteBashCompletion(const Tool& tool, std::FILE* out) {
  const std::string fn = "_" + std::string(tool.name) + "_complete";
  std::fprintf(out, "# bash completion for %s\n%s() {\n", tool.name, fn.c_str());
  std::fprintf(out, "  local cur=\"${COMP_WORDS[COMP_CWORD]}\" prev=\"${COMP_WORDS[COMP_CWORD-1]}\"\n");
  std::fprintf(out, "  COMPREPLY=()\n  if [ \"$COMP_CWORD\" -eq 1 ]; then\n    COMPREPLY=($(compgen -W \"");
  for (const Command& c : tool.commands) std::fprintf(out, "%s ", c.name);
  std::fprintf(out, "--help --version\" -- \"$cur\"))\n    return\n  fi\n");
  std::fprintf(out, "  case \"${COMP_WORDS[1]}\" in\n");
  for (const Command& c : tool.commands) {
    std::fprintf(out, "    %s)\n      case \"$prev\" in\n", c.name);
    for (const Option& o : c.options) {
      if (o.value == nullptr) continue;
      const bool dir = std::string(o.value) == "DIR";
      std::fprintf(out, "        %s) %sreturn ;;\n", o.name, dir ? "COMPREPLY=($(compgen -d -- \"$cur\")); " : "");
    }
    std::fprintf(out, "      esac\n      if [[ \"$cur\" == -* ]]; then\n        COMPREPLY=($(compgen -W \"");
    for (const Option& o : c.options) std::fprintf(out, "%s ", o.name);
    std::fprintf(out, "--help\" -- \"$cur\"))\n");
    if (TakesPath(c.operands, "DIR")) {
      std::fprintf(out, "      else\n        COMPREPLY=($(compgen -d -- \"$cur\"))\n");
    } else if (TakesPath(c.operands, "FILE")) {
      std::fprintf(out, "      else\n        COMPREPLY=($(compgen -f -- \"$cur\"))\n");
    }
    std::fprintf(out, "      fi\n      ;;\n");
  }
  std::fprintf(out, "  esac\n}\ncomplete -F %s %s\n", fn.c_str(), tool.name);
}

}  // namespace zel::cli
