// Interned selectors and the class registry.
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSString.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>

struct objc_selector
{
  std::string mName;
};

namespace {

std::mutex& RuntimeMutex()
{
  static std::mutex sMutex;
  return sMutex;
}

// Selectors live as long as the process, like the runtime's.
std::unordered_map<std::string, std::unique_ptr<objc_selector>>& Selectors()
{
  static auto* sSelectors = new std::unordered_map<std::string, std::unique_ptr<objc_selector>>();
  return *sSelectors;
}

struct ClassEntry
{
  std::string mName, mSuperclass;
  objc_class mRecord;
};

std::vector<std::unique_ptr<ClassEntry>>& Classes()
{
  static auto* sClasses = new std::vector<std::unique_ptr<ClassEntry>>();
  return *sClasses;
}

std::set<std::string>& WarnedDuplicates()
{
  static auto* sWarned = new std::set<std::string>();
  return *sWarned;
}

} // namespace

SEL sel_registerName(const char* name)
{
  if (!name) return nullptr;
  std::lock_guard<std::mutex> lock(RuntimeMutex());
  auto& selectors = Selectors();
  auto found = selectors.find(name);
  if (found != selectors.end()) return found->second.get();
  auto selector = std::make_unique<objc_selector>();
  selector->mName = name;
  SEL result = selector.get();
  selectors.emplace(name, std::move(selector));
  return result;
}

SEL NSSelectorFromString(const char* name)
{
  return sel_registerName(name);
}

SEL NSSelectorFromString(NSString* name)
{
  return name ? sel_registerName(name->UTF8String()) : nullptr;
}

const char* sel_getName(SEL selector)
{
  return selector ? selector->mName.c_str() : "<null selector>";
}

Class objc_getClass(const char* name)
{
  if (!name) return nullptr;
  std::lock_guard<std::mutex> lock(RuntimeMutex());
  for (const auto& entry : Classes())
    if (entry->mName == name) return &entry->mRecord;
  return nullptr;
}

Class NSClassFromString(NSString* name)
{
  return name ? objc_getClass(name->UTF8String()) : nullptr;
}

const char* class_getName(Class cls)
{
  return cls ? cls->name : "nil";
}

bool NSRegisterClass(const char* name, NSObject* (*alloc)(), const char* superclassName)
{
  if (!name || !alloc) return false;
  std::lock_guard<std::mutex> lock(RuntimeMutex());
  for (const auto& entry : Classes()) {
    if (entry->mName != name) continue;
    if (WarnedDuplicates().insert(name).second)
      std::fprintf(stderr,
                   "[objc] Class %s is implemented in two places; the first one is used and the "
                   "other ignored.\n",
                   name);
    return false;
  }
  auto entry = std::make_unique<ClassEntry>();
  entry->mName = name;
  entry->mSuperclass = superclassName ? superclassName : "";
  entry->mRecord = {entry->mName.c_str(), alloc, entry->mSuperclass.empty() ? nullptr : entry->mSuperclass.c_str()};
  Classes().push_back(std::move(entry));
  return true;
}

void NSUnregisterClass(const char* name, NSObject* (*alloc)())
{
  if (!name) return;
  std::lock_guard<std::mutex> lock(RuntimeMutex());
  auto& classes = Classes();
  for (auto it = classes.begin(); it != classes.end(); ++it) {
    if ((*it)->mName == name && (*it)->mRecord.alloc == alloc) {
      classes.erase(it);
      return;
    }
  }
}
