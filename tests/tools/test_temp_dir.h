// A fresh folder under /tmp for one test, removed with everything in it when the test ends.
#pragma once

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <vector>

class TempDir
{
public:
  TempDir()
  {
    char pattern[] = "/tmp/brindle-test-XXXXXX";
    if (const char* made = mkdtemp(pattern)) mPath = made;
  }
  ~TempDir()
  {
    if (!mPath.empty()) std::system(("rm -rf '" + mPath + "'").c_str());
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string operator/(const std::string& name) const { return mPath + "/" + name; }
  const std::string& Path() const { return mPath; }
  // The names in the folder, without "." and "..".
  std::vector<std::string> Entries() const
  {
    std::vector<std::string> names;
    DIR* d = opendir(mPath.c_str());
    if (!d) return names;
    while (dirent* e = readdir(d))
      if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, "..")) names.push_back(e->d_name);
    closedir(d);
    return names;
  }

private:
  std::string mPath;
};
