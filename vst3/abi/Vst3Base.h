#pragma once
// VST3's binary interface, declared from its published ABI for Linux x86-64: the base types, result
// codes, 16-byte interface ids, the COM-style FUnknown, IPluginBase, IBStream and the plug-in factory.
//
// On Linux the interfaces are plain C++ abstract classes with the default calling convention; the
// vtable order is the declaration order below and must never change. Ids are the four 32-bit words
// of the published id, each stored most significant byte first (the layout used where the ABI is
// not COM-compatible, i.e. everywhere but Windows). Structures have natural alignment.
#include <cstddef>
#include <cstdint>

namespace vst3 {

using int32 = int32_t;
using uint32 = uint32_t;
using int64 = int64_t;
using uint64 = uint64_t;
using TBool = uint8_t;
using char16 = char16_t;
using tresult = int32_t;
using FIDString = const char*;
using TUID = char[16];

// Result codes where the ABI is not COM-compatible (Linux).
enum : tresult {
  kNoInterface = -1,
  kResultOk = 0,
  kResultTrue = kResultOk,
  kResultFalse = 1,
  kInvalidArgument = 2,
  kNotImplemented = 3,
  kInternalError = 4,
  kNotInitialized = 5,
  kOutOfMemory = 6
};

// An interface or class id: the four published words, most significant byte first.
struct Uid
{
  char mBytes[16];
};

constexpr Uid MakeUid(uint32 l1, uint32 l2, uint32 l3, uint32 l4)
{
  return Uid{
      {static_cast<char>(l1 >> 24), static_cast<char>(l1 >> 16), static_cast<char>(l1 >> 8), static_cast<char>(l1),
       static_cast<char>(l2 >> 24), static_cast<char>(l2 >> 16), static_cast<char>(l2 >> 8), static_cast<char>(l2),
       static_cast<char>(l3 >> 24), static_cast<char>(l3 >> 16), static_cast<char>(l3 >> 8), static_cast<char>(l3),
       static_cast<char>(l4 >> 24), static_cast<char>(l4 >> 16), static_cast<char>(l4 >> 8), static_cast<char>(l4)}};
}

inline bool SameUid(const char* a, const Uid& b)
{
  if (!a) return false;
  for (int i = 0; i < 16; ++i)
    if (a[i] != b.mBytes[i]) return false;
  return true;
}

class FUnknown
{
public:
  virtual tresult queryInterface(const TUID iid, void** obj) = 0;
  virtual uint32 addRef() = 0;
  virtual uint32 release() = 0;

protected:
  ~FUnknown() = default;
};
constexpr Uid kFUnknownIID = MakeUid(0x00000000, 0x00000000, 0xC0000000, 0x00000046);

class IPluginBase : public FUnknown
{
public:
  virtual tresult initialize(FUnknown* context) = 0;
  virtual tresult terminate() = 0;

protected:
  ~IPluginBase() = default;
};
constexpr Uid kIPluginBaseIID = MakeUid(0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625);

class IBStream : public FUnknown
{
public:
  enum : int32 { kIBSeekSet = 0, kIBSeekCur, kIBSeekEnd };
  virtual tresult read(void* buffer, int32 numBytes, int32* numBytesRead) = 0;
  virtual tresult write(void* buffer, int32 numBytes, int32* numBytesWritten) = 0;
  virtual tresult seek(int64 pos, int32 mode, int64* result) = 0;
  virtual tresult tell(int64* pos) = 0;

protected:
  ~IBStream() = default;
};
constexpr Uid kIBStreamIID = MakeUid(0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B);

struct PFactoryInfo
{
  enum : int32 { kNoFlags = 0, kClassesDiscardable = 1 << 0, kComponentNonDiscardable = 1 << 3, kUnicode = 1 << 4 };
  char vendor[64];
  char url[256];
  char email[128];
  int32 flags;
};
static_assert(sizeof(PFactoryInfo) == 452, "PFactoryInfo layout");
static_assert(offsetof(PFactoryInfo, flags) == 448, "PFactoryInfo layout");

struct PClassInfo
{
  enum : int32 { kManyInstances = 0x7FFFFFFF };
  TUID cid;
  int32 cardinality;
  char category[32];
  char name[64];
};
static_assert(sizeof(PClassInfo) == 116, "PClassInfo layout");
static_assert(offsetof(PClassInfo, category) == 20, "PClassInfo layout");

struct PClassInfo2
{
  TUID cid;
  int32 cardinality;
  char category[32];
  char name[64];
  uint32 classFlags;
  char subCategories[128];
  char vendor[64];
  char version[64];
  char sdkVersion[64];
};
static_assert(sizeof(PClassInfo2) == 440, "PClassInfo2 layout");
static_assert(offsetof(PClassInfo2, classFlags) == 116 && offsetof(PClassInfo2, subCategories) == 120 &&
                  offsetof(PClassInfo2, sdkVersion) == 376,
              "PClassInfo2 layout");

class IPluginFactory : public FUnknown
{
public:
  virtual tresult getFactoryInfo(PFactoryInfo* info) = 0;
  virtual int32 countClasses() = 0;
  virtual tresult getClassInfo(int32 index, PClassInfo* info) = 0;
  virtual tresult createInstance(FIDString cid, FIDString iid, void** obj) = 0;

protected:
  ~IPluginFactory() = default;
};
constexpr Uid kIPluginFactoryIID = MakeUid(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F);

class IPluginFactory2 : public IPluginFactory
{
public:
  virtual tresult getClassInfo2(int32 index, PClassInfo2* info) = 0;

protected:
  ~IPluginFactory2() = default;
};
constexpr Uid kIPluginFactory2IID = MakeUid(0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);

// Class categories and the SDK version a class reports.
constexpr const char* kAudioModuleClass = "Audio Module Class";
constexpr const char* kSdkVersionString = "VST 3.7.14";

} // namespace vst3
