// `brindle new-plugin DIR --name NAME --maker MAKER`: writes a ready-to-build plug-in project, built
// against the installed framework, from the template built into this program (sdk/template).
#include "tools/cli/CommandLine.h"
#include "tools/cli/Commands.h"
#include "tools/cli/NewPluginTemplate.h"

#include <cctype>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char kUsage[] = "usage: brindle new-plugin DIR --name NAME --maker MAKER\n"
                      "\n"
                      "Writes into DIR (new, or an empty folder) a plug-in project built on the installed Brindle\n"
                      "framework: its identity file, a product class with one gain parameter, an editor with one\n"
                      "knob on a background the build draws, a CMakeLists.txt making the Audio Unit component, the\n"
                      "LV2 bundle, the CLAP module and the VST3 bundle, a README and a test that renders a sine\n"
                      "through it.\n"
                      "\n"
                      "options:\n"
                      "  --name NAME    the plug-in's name and class prefix: a letter, then up to 31 letters and\n"
                      "                 digits\n"
                      "  --maker MAKER  who makes it, as hosts show it: 1 to 64 printable characters, without\n"
                      "                 quotes, backslashes or '@'\n"
                      "  -h, --help     this text\n";

int Usage(const std::string& message)
{
  return CommandUsageError("new-plugin", message);
}

bool ValidName(const std::string& name)
{
  if (name.empty() || name.size() > 32 || !std::isalpha(static_cast<unsigned char>(name[0]))) return false;
  for (char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  return true;
}

// The maker goes into C++ and CMake strings and into Turtle and plist files as it is.
bool ValidMaker(const std::string& maker)
{
  if (maker.empty() || maker.size() > 64 || maker.front() == ' ' || maker.back() == ' ') return false;
  for (char c : maker) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7f || c == '"' || c == '\\' || c == '@' || c == '$' || c == '<' || c == '>' || c == '&')
      return false;
  }
  return true;
}

std::string Lower(const std::string& text)
{
  std::string out;
  for (char c : text)
    if (std::isalnum(static_cast<unsigned char>(c)))
      out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// A four-character code: the text's first letter, then three characters from its FNV-1a hash, so
// that different names give different codes without a registry.
std::string FourCharCode(const std::string& text, bool upperFirst)
{
  uint32_t hash = 2166136261u;
  for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  const char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string code(1, text.empty() ? 'x' : text[0]);
  code[0] = static_cast<char>(upperFirst ? std::toupper(static_cast<unsigned char>(code[0]))
                                         : std::tolower(static_cast<unsigned char>(code[0])));
  for (int i = 0; i < 3; ++i, hash /= 36) code += alphabet[hash % 36];
  return code;
}

std::string Fill(std::string text, const std::vector<std::pair<std::string, std::string>>& values)
{
  for (const auto& [key, value] : values) {
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
      text.replace(at, key.size(), value);
  }
  return text;
}

} // namespace

int RunNewPluginCommand(int argc, char** argv)
{
  std::string dir, name, maker;
  bool haveName = false, haveMaker = false;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--name" || arg == "--maker") {
      if (i + 1 >= argc) return Usage(arg + " needs a value");
      (arg == "--name" ? name : maker) = argv[++i];
      (arg == "--name" ? haveName : haveMaker) = true;
    } else if (arg.compare(0, 7, "--name=") == 0) {
      name = arg.substr(7);
      haveName = true;
    } else if (arg.compare(0, 8, "--maker=") == 0) {
      maker = arg.substr(8);
      haveMaker = true;
    } else if (arg.compare(0, 1, "-") == 0) {
      return Usage("unknown option '" + arg + "'");
    } else if (!dir.empty()) {
      return Usage("one folder only");
    } else {
      dir = arg;
    }
  }
  if (dir.empty()) return Usage("the project folder is missing");
  if (!haveName) return Usage("--name is missing");
  if (!haveMaker) return Usage("--maker is missing");
  if (!ValidName(name)) return Usage("'" + name + "' is not a plug-in name (a letter, then letters and digits)");
  if (!ValidMaker(maker)) return Usage("'" + maker + "' is not a maker name");

  std::error_code ec;
  const fs::path root(dir);
  if (fs::exists(root, ec) && !(fs::is_directory(root, ec) && fs::is_empty(root, ec)))
    return CommandFailure("new-plugin", dir + " exists and is not an empty folder");

  const std::string makerId = Lower(maker).empty() ? "maker" : Lower(maker);
  const std::string lowerName = Lower(name);
  const std::vector<std::pair<std::string, std::string>> values = {
      {"TplName", name},
      {"tplname", lowerName},
      {"@MAKER@", maker},
      {"@MAKER_ID@", std::isdigit(static_cast<unsigned char>(makerId[0])) ? "m" + makerId : makerId},
      {"@UNIQUE_ID@", FourCharCode(name, false)},
      {"@MFR_ID@", FourCharCode(maker, true)},
  };
  for (int i = 0; i < kNewPluginTemplateCount; ++i) {
    const fs::path path = root / Fill(kNewPluginTemplate[i].path, values);
    fs::create_directories(path.parent_path(), ec);
    if (ec) return CommandFailure("new-plugin", "cannot make " + path.parent_path().string() + ": " + ec.message());
    std::ofstream out(path, std::ios::binary);
    out << Fill(kNewPluginTemplate[i].text, values);
    out.close();
    if (!out) return CommandFailure("new-plugin", "cannot write " + path.string());
  }
  std::printf("wrote %s: %d files for the plug-in %s by %s\n", dir.c_str(), kNewPluginTemplateCount, name.c_str(),
              maker.c_str());
  return 0;
}
