// The layers, enforced: every #include in the source tree is checked against one table of what each
// folder may use. A folder may include its own headers and those of the folders listed for it;
// anything else (an upward include, a folder nobody listed) fails with the file and line.
//
// The table follows the stack: containers at the bottom; gdi on containers; raster on gdi; the
// plug-in core on containers; the editor core on the raster, drawing and plug-in layers; the Mac
// editor host on the editor core and the platform; the adapters on the plug-in core (the Audio Unit
// component's generated view factory also names the editor host); products (Brindle, and the example
// plug-ins beside it) on top. "platform" stands
// for the Apple-named stand-ins (<AppKit/...>, <CoreFoundation/...>, <BrindleHost/...>, ...), and
// "identity" for a product's generated <Name>Identity.h. A folder that adds itself to the tree adds
// its row here.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::map<std::string, std::set<std::string>> kAllowed = {
    {"containers", {}},
    {"gdi", {"containers"}},
    {"raster", {"containers", "gdi", "platform"}},
    {"plugcore", {"containers"}},
    {"platform", {"gdi"}},
    {"graphics", {"containers", "gdi", "raster", "plugcore"}},
    {"graphics/mac", {"containers", "gdi", "raster", "plugcore", "graphics", "platform"}},
    {"au", {"containers", "plugcore", "platform"}},
    {"lv2", {"containers", "plugcore", "product"}},
    {"clap", {"containers", "plugcore", "graphics", "platform", "product"}},
    {"vst3", {"containers", "plugcore", "graphics", "platform", "clap", "product"}},
    {"lv2/ui", {"containers", "gdi", "raster", "plugcore", "graphics", "graphics/mac", "platform", "lv2", "product"}},
    {"au/component", {"containers", "plugcore", "platform", "au", "graphics/mac", "identity", "product"}},
    {"effect", {"containers", "gdi", "raster", "plugcore", "graphics", "graphics/mac", "platform", "au", "identity"}},
    {"tools/host", {"containers", "gdi", "raster", "plugcore", "platform", "au", "effect", "identity"}},
    {"tools/files", {"containers", "gdi", "raster", "plugcore", "platform", "au", "effect", "identity", "tools/host"}},
    {"tools/render", {"containers", "plugcore", "platform", "au", "effect", "identity", "tools/host", "tools/files"}},
    {"tools/plot", {"containers", "gdi", "raster", "plugcore", "graphics", "tools/files"}},
    {"tools/editor",
     {"containers", "gdi", "raster", "plugcore", "graphics", "graphics/mac", "platform", "au", "effect", "identity",
      "tools/host", "tools/files"}},
    {"tools/validate",
     {"containers", "plugcore", "platform", "au", "effect", "identity", "tools/host", "tools/files", "clap", "vst3"}},
    {"tools/cli",
     {"containers", "gdi", "raster", "plugcore", "graphics", "graphics/mac", "platform", "au", "effect", "identity",
      "tools/host", "tools/files", "tools/render", "tools/plot", "tools/editor", "tools/validate", "tools/play"}},
    {"tools/play",
     {"containers", "gdi", "raster", "plugcore", "platform", "au", "effect", "identity", "tools/host", "tools/files",
      "tools/editor"}},
    {"tools/imagegen", {"containers", "gdi", "raster", "tools/files", "identity"}},
    {"tools/soak", {"identity", "tools/host", "tools/files"}},
    {"tools", {}},
    // Example plug-ins stand where a new product would: on the framework, never on Brindle's code.
    {"examples", {"containers", "gdi", "raster", "plugcore", "graphics", "graphics/mac", "platform", "au", "identity"}},
    {"examples/gain/art", {"containers", "gdi", "raster", "tools/files", "tools/imagegen", "examples"}},
    // The new-plug-in template stands there too, building against the installed framework alone.
    {"sdk",
     {"containers", "gdi", "raster", "plugcore", "graphics", "graphics/mac", "platform", "au", "identity",
      "tools/imagegen"}},
};

// Folders whose code may use anything (they test or measure the layers, they are not one).
const std::set<std::string> kUnchecked = {"tests", "bench", "fuzz", "build", ".git", "resources", "scripts", "cmake"};

const std::set<std::string> kPlatformRoots = {"AppKit",     "AudioToolbox",   "AudioUnit",    "BrindleHost",
                                              "CoreAudio",  "CoreFoundation", "CoreGraphics", "CoreServices",
                                              "Foundation", "MacTypes.h"};

// The table row a path (relative to the repository) belongs to: its longest listed folder prefix.
std::string RowOf(const std::string& relPath)
{
  std::string best;
  for (const auto& [folder, allowed] : kAllowed) {
    (void)allowed;
    if (relPath.compare(0, folder.size() + 1, folder + "/") == 0 && folder.size() > best.size()) best = folder;
  }
  return best;
}

struct Violation
{
  std::string where;
  std::string what;
};

// What an include names, as a table key: a folder row, "platform", "identity", or "" for the
// including folder itself (a bare name in the same folder).
std::string TargetOf(const std::string& name, bool angled, const std::string& fromFolder, const fs::path& root)
{
  const std::string first = name.substr(0, name.find('/'));
  if (angled) return kPlatformRoots.count(first) ? "platform" : "system";
  if (std::regex_match(name, std::regex(R"([A-Za-z0-9]+Identity\.h)"))) return "identity";
  if (name.find('/') == std::string::npos) return "";
  if (name.find('@') != std::string::npos) return "product"; // a template's placeholder
  if (fs::exists(root / fromFolder / name)) return "";       // relative to the including folder
  const std::string row = RowOf(name);
  return row.empty() ? "unlisted:" + first : row;
}

std::vector<Violation> CheckTree(const fs::path& root)
{
  std::vector<Violation> found;
  const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    const fs::path rel = fs::relative(it->path(), root);
    if (it->is_directory()) {
      if (kUnchecked.count(rel.begin()->string()) || rel.filename().string().rfind("build", 0) == 0)
        it.disable_recursion_pending();
      continue;
    }
    const std::string ext = rel.extension().string();
    const std::string relText = rel.generic_string();
    if (ext != ".h" && ext != ".cpp" && ext != ".in") continue;
    if (ext == ".in" && relText.find(".cpp.in") == std::string::npos && relText.find(".h.in") == std::string::npos)
      continue;
    const std::string row = RowOf(relText);
    const std::string fileFolder = rel.parent_path().generic_string();
    if (row.empty()) {
      found.push_back({relText, "is in a folder the table does not list"});
      continue;
    }
    std::ifstream in(it->path());
    std::string line;
    for (int lineNo = 1; std::getline(in, line); ++lineNo) {
      std::smatch m;
      if (!std::regex_search(line, m, include)) continue;
      const std::string target = TargetOf(m[2], m[1] == "<", fileFolder, root);
      if (target.empty() || target == "system" || target == row) continue;
      if (!kAllowed.at(row).count(target))
        found.push_back({relText + ":" + std::to_string(lineNo),
                         row + " may not include " + std::string(m[2]) + " (" + target + ")"});
    }
  }
  return found;
}

fs::path SourceRoot()
{
  const char* dir = std::getenv("BRINDLE_SOURCE_DIR");
  return dir ? fs::path(dir) : fs::path(".");
}

} // namespace

TEST(Layering, EveryIncludeFollowsTheTable)
{
  const fs::path root = SourceRoot();
  ASSERT_TRUE(fs::exists(root / "plugcore")) << root;
  for (const Violation& v : CheckTree(root)) ADD_FAILURE() << v.where << ": " << v.what;
}

// The checker itself: a scratch tree with one legal and several illegal includes.
TEST(Layering, TheCheckerCatchesUpwardAndUnlistedIncludes)
{
  const fs::path root = fs::temp_directory_path() / ("brindle-layering-" + std::to_string(::getpid()));
  fs::remove_all(root);
  const struct
  {
    const char* file;
    const char* text;
    bool legal;
  } cases[] = {
      {"plugcore/Fine.cpp", "#include \"containers/Core_Mutex.h\"\n#include <vector>\n", true},
      {"plugcore/Up.cpp", "#include \"au/IEffectAU.h\"\n", false},
      {"containers/Up.h", "#include \"plugcore/IParam.h\"\n", false},
      {"graphics/Platform.cpp", "#include <AppKit/AppKit.h>\n", false},
      {"graphics/mac/Platform.cpp", "#include <AppKit/AppKit.h>\n", true},
      {"gdi/Unlisted.cpp", "#include \"nowhere/Thing.h\"\n", false},
      {"newfolder/Thing.cpp", "\n", false},
      {"examples/x/Plug.h", "#include \"au/IEffectAU.h\"\n#include \"XIdentity.h\"\n", true},
      {"examples/x/Copy.h", "#include \"effect/BrindleChain.h\"\n", false},
  };
  for (const auto& c : cases) {
    fs::create_directories((root / c.file).parent_path());
    std::ofstream(root / c.file) << c.text;
  }
  std::set<std::string> flagged;
  for (const Violation& v : CheckTree(root)) flagged.insert(v.where.substr(0, v.where.find(':')));
  for (const auto& c : cases) EXPECT_EQ(flagged.count(c.file) == 0, c.legal) << c.file;
  fs::remove_all(root);
}
