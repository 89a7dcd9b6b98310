// Loading a component bundle from a folder: Info.plist, the shared library and its entry points,
// registration, and the bundle becoming findable by identifier with its resources.
#include <AudioUnit/AudioUnit.h>
#include <BrindleHost/ComponentBundle.h>
#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string PlistWith(const std::string& identifier, const std::string& executable, const std::string& components)
{
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
         "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
         "<plist version=\"1.0\"><dict>\n"
         "<key>CFBundleIdentifier</key><string>" +
         identifier +
         "</string>\n"
         "<key>CFBundleExecutable</key><string>" +
         executable +
         "</string>\n"
         "<key>CFBundlePackageType</key><string>BNDL</string>\n"
         "<key>AudioComponents</key><array>" +
         components +
         "</array>\n"
         "</dict></plist>\n";
}

std::string ComponentXml(const char* type, const char* subtype, const char* name, int version, const char* entry)
{
  return std::string("<dict><key>type</key><string>") + type + "</string><key>subtype</key><string>" + subtype +
         "</string><key>manufacturer</key><string>Qxlo</string><key>name</key><string>" + name +
         "</string><key>version</key><integer>" + std::to_string(version) + "</integer><key>entryPoint</key><string>" +
         entry + "</string></dict>";
}

void WriteFile(const std::string& path, const std::string& bytes)
{
  std::ofstream(path, std::ios::binary) << bytes;
}

void CopyFile(const std::string& from, const std::string& to)
{
  std::ifstream in(from, std::ios::binary);
  std::ofstream(to, std::ios::binary) << in.rdbuf();
}

class ComponentBundleTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    char pattern[] = "/tmp/brindle-bundle-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    char resolved[PATH_MAX];
    ASSERT_NE(nullptr, realpath(pattern, resolved));
    mRoot = resolved;
  }
  void TearDown() override { std::system(("rm -rf '" + mRoot + "'").c_str()); }

  // Makes <root>/<name>.component with the test library, the given Info.plist and one resource.
  std::string MakeBundle(const std::string& name, const std::string& plist, bool withLibrary = true)
  {
    const std::string bundle = mRoot + "/" + name + ".component";
    mkdir(bundle.c_str(), 0755);
    mkdir((bundle + "/Contents").c_str(), 0755);
    mkdir((bundle + "/Contents/Resources").c_str(), 0755);
    WriteFile(bundle + "/Contents/Info.plist", plist);
    WriteFile(bundle + "/Contents/Resources/knob.png", "not really a png");
    if (withLibrary) CopyFile(PLATFORM_TEST_UNIT_PATH, bundle + "/Contents/TestUnit.so");
    return bundle;
  }

  std::string mRoot;
};

const OSType kSubtype = 0x74737432; // 'tst2'

TEST_F(ComponentBundleTest, LoadsRegistersAndFindsItsOwnResources)
{
  const std::string path = MakeBundle(
      "Good", PlistWith("org.brindle.test.unit", "TestUnit",
                        ComponentXml("aufx", "tst2", "tallowby: Test", 131840, "TestUnit_Entry") +
                            ComponentXml("auvw", "tst2", "tallowby: Test View", 131840, "TestUnit_ViewEntry")));
  BrindleHost_ComponentBundle loaded;
  ASSERT_EQ(noErr, BrindleHost_LoadComponentBundle(path.c_str(), &loaded));
  ASSERT_EQ(2u, loaded.componentCount);
  EXPECT_EQ(static_cast<OSType>(kAudioUnitType_Effect), loaded.components[0].description.componentType);
  EXPECT_EQ(kSubtype, loaded.components[0].description.componentSubType);
  EXPECT_EQ(0x51786C6Fu, loaded.components[0].description.componentManufacturer); // 'Qxlo'
  EXPECT_STREQ("tallowby: Test", loaded.components[0].name);
  EXPECT_EQ(131840u, loaded.components[0].version);
  EXPECT_EQ(static_cast<OSType>(kAudioUnitCarbonViewComponentType), loaded.components[1].description.componentType);
  EXPECT_STREQ("TestUnit_ViewEntry", loaded.components[1].entryPoint);

  // A host finds the effect by description and opens it through the library's entry point.
  ComponentDescription looking = {kAudioUnitType_Effect, kSubtype, 0x51786C6F, 0, 0};
  Component effect = FindNextComponent(nullptr, &looking);
  ASSERT_EQ(loaded.components[0].component, effect);
  AudioUnit unit = OpenComponent(effect);
  ASSERT_NE(nullptr, unit);
  // The storage set inside the library is the one the host sees: one Component Manager.
  EXPECT_EQ(1, *reinterpret_cast<int*>(GetComponentInstanceStorage(unit)));
  EXPECT_EQ(0x00010203, GetComponentVersion(unit));
  EXPECT_EQ(validInstancesExist, BrindleHost_UnloadComponentBundle(&loaded));

  // Inside the library, the bundle is found by identifier and its resource by name and type.
  AudioUnitCocoaViewInfo info = {};
  UInt32 size = sizeof info;
  ASSERT_EQ(noErr, AudioUnitGetProperty(unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &size));
  char resource[PATH_MAX];
  ASSERT_TRUE(CFURLGetFileSystemRepresentation(info.mCocoaAUViewBundleLocation, true,
                                               reinterpret_cast<UInt8*>(resource), sizeof resource));
  EXPECT_EQ(path + "/Contents/Resources/knob.png", resource);
  EXPECT_TRUE(CFEqual(info.mCocoaAUViewClass[0], CFSTR("TestUnit_View")));
  CFRelease(info.mCocoaAUViewBundleLocation);
  CFRelease(info.mCocoaAUViewClass[0]);

  CFBundleRef bundle = CFBundleGetBundleWithIdentifier(CFSTR("org.brindle.test.unit"));
  ASSERT_EQ(loaded.bundle, bundle);
  EXPECT_TRUE(CFEqual(CFBundleGetIdentifier(bundle), CFSTR("org.brindle.test.unit")));
  CFURLRef bundleURL = CFBundleCopyBundleURL(bundle);
  char bundlePath[PATH_MAX];
  ASSERT_TRUE(
      CFURLGetFileSystemRepresentation(bundleURL, true, reinterpret_cast<UInt8*>(bundlePath), sizeof bundlePath));
  EXPECT_EQ(path, bundlePath);
  CFRelease(bundleURL);
  EXPECT_EQ(nullptr, CFBundleCopyResourceURL(bundle, CFSTR("missing"), CFSTR("png"), nullptr));
  CFURLRef noType = CFBundleCopyResourceURL(bundle, CFSTR("knob.png"), nullptr, nullptr);
  EXPECT_NE(nullptr, noType);
  CFRelease(noType);

  CloseComponent(unit);
  ASSERT_EQ(noErr, BrindleHost_UnloadComponentBundle(&loaded));
  EXPECT_EQ(nullptr, FindNextComponent(nullptr, &looking));
  // Known bundles stay known, as on a Mac.
  EXPECT_EQ(bundle, CFBundleGetBundleWithIdentifier(CFSTR("org.brindle.test.unit")));
}

TEST_F(ComponentBundleTest, RefusesIncompleteBundlesAndRegistersNothing)
{
  BrindleHost_ComponentBundle loaded;
  EXPECT_EQ(fnfErr, BrindleHost_LoadComponentBundle((mRoot + "/Nowhere.component").c_str(), &loaded));
  EXPECT_EQ(paramErr, BrindleHost_LoadComponentBundle(nullptr, &loaded));

  const std::string good = ComponentXml("aufx", "tst3", "x", 1, "TestUnit_Entry");
  struct Case
  {
    const char* name;
    std::string plist;
    bool withLibrary;
    OSStatus expected;
  } cases[] = {
      {"NoIdentifier", PlistWith("", "TestUnit", good), true, paramErr},
      {"NoComponents", PlistWith("org.brindle.test.a", "TestUnit", ""), true, paramErr},
      {"ShortCode", PlistWith("org.brindle.test.b", "TestUnit", ComponentXml("aufx", "ts3", "x", 1, "TestUnit_Entry")),
       true, paramErr},
      {"NoLibrary", PlistWith("org.brindle.test.c", "TestUnit", good), false, fnfErr},
      {"NotAPlist", "this is not a property list", true, paramErr},
      {"NoSuchEntry",
       PlistWith("org.brindle.test.d", "TestUnit", good + ComponentXml("auvw", "tst3", "v", 1, "Missing_Entry")), true,
       unresolvedComponentDLLErr},
  };
  for (const Case& c : cases) {
    const std::string path = MakeBundle(c.name, c.plist, c.withLibrary);
    EXPECT_EQ(c.expected, BrindleHost_LoadComponentBundle(path.c_str(), &loaded)) << c.name;
    EXPECT_EQ(0u, loaded.componentCount) << c.name;
    EXPECT_EQ(nullptr, loaded.library) << c.name;
  }
  // The first component of the last case was registered before its second failed: it is gone again.
  ComponentDescription looking = {0, 0x74737433, 0, 0, 0}; // 'tst3'
  EXPECT_EQ(nullptr, FindNextComponent(nullptr, &looking));
  EXPECT_EQ(nullptr, CFBundleGetBundleWithIdentifier(CFSTR("org.brindle.test.d")));
}

TEST(MainBundleTest, IsTheExecutablesFolderWithoutIdentifier)
{
  CFBundleRef main = CFBundleGetMainBundle();
  ASSERT_NE(nullptr, main);
  EXPECT_EQ(nullptr, CFBundleGetIdentifier(main));
  CFURLRef url = CFBundleCopyBundleURL(main);
  char path[PATH_MAX];
  ASSERT_TRUE(CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<UInt8*>(path), sizeof path));
  char exe[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  ASSERT_GT(n, 0);
  exe[n] = '\0';
  std::string folder(exe);
  folder = folder.substr(0, folder.find_last_of('/'));
  char canonical[PATH_MAX];
  ASSERT_NE(nullptr, realpath(folder.c_str(), canonical));
  EXPECT_STREQ(canonical, path);
  CFRelease(url);
}

} // namespace
