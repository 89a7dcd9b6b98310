// The Component Manager: a process-wide table of registered components and open instances.
// Instance handles encode a slot and a generation, so dispatching needs no lock and a closed
// instance is recognised rather than followed.
#include <CoreServices/ComponentCall.h>
#include <CoreServices/Components.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace {

constexpr uintptr_t kComponentKind = 1;
constexpr uintptr_t kInstanceKind = 2;
constexpr size_t kMaxComponents = 256;
constexpr size_t kMaxInstances = 4096;

struct ComponentSlot
{
  bool mUsed = false;
  uint16_t mGeneration = 0;
  ComponentDescription mDescription{};
  ComponentRoutineUPP mEntry = nullptr;
  std::string mName;
  long mOpenInstances = 0;
};

struct InstanceSlot
{
  std::atomic<uint32_t> mStamp{0}; // the live generation, 0 while free
  std::atomic<ComponentRoutineUPP> mEntry{nullptr};
  std::atomic<Handle> mStorage{nullptr};
  size_t mComponent = 0;
  uint16_t mGeneration = 0;
};

struct Tables
{
  std::mutex mMutex;
  ComponentSlot mComponents[kMaxComponents];
  InstanceSlot mInstances[kMaxInstances];
};

Tables& TheTables()
{
  static Tables* sTables = new Tables(); // lives as long as the process
  return *sTables;
}

uint16_t NextGeneration(uint16_t generation)
{
  return generation == 0xFFFF ? 1 : static_cast<uint16_t>(generation + 1);
}

uintptr_t Encode(uintptr_t kind, size_t index, uint16_t generation)
{
  return (kind << 28) | (static_cast<uintptr_t>(index) << 16) | generation;
}

bool Decode(const void* handle, uintptr_t kind, size_t limit, size_t* index, uint16_t* generation)
{
  const uintptr_t value = reinterpret_cast<uintptr_t>(handle);
  if ((value >> 28) != kind) return false;
  *index = (value >> 16) & 0xFFF;
  *generation = static_cast<uint16_t>(value & 0xFFFF);
  return *index < limit && *generation != 0;
}

// The component slot for a live Component handle; caller holds the table lock.
ComponentSlot* LiveComponent(Component c)
{
  size_t index;
  uint16_t generation;
  if (!Decode(c, kComponentKind, kMaxComponents, &index, &generation)) return nullptr;
  ComponentSlot& slot = TheTables().mComponents[index];
  return (slot.mUsed && slot.mGeneration == generation) ? &slot : nullptr;
}

InstanceSlot* LiveInstance(ComponentInstance ci)
{
  size_t index;
  uint16_t generation;
  if (!Decode(ci, kInstanceKind, kMaxInstances, &index, &generation)) return nullptr;
  InstanceSlot& slot = TheTables().mInstances[index];
  return slot.mStamp.load(std::memory_order_acquire) == generation ? &slot : nullptr;
}

// Frees an instance slot; caller holds the table lock.
void Forget(InstanceSlot* slot)
{
  slot->mStamp.store(0, std::memory_order_release);
  slot->mStorage.store(nullptr);
  TheTables().mComponents[slot->mComponent].mOpenInstances--;
}

// Open and close carry the instance as their one argument.
ComponentResult CallWithInstance(ComponentRoutineUPP entry, ComponentInstance ci, SInt16 what, Handle storage)
{
  ComponentCall::Block<1> block(what);
  ComponentCall::Put(block.cp, 0, ci);
  ComponentCall::Put(block.cp, 1, ci);
  return entry(block.cp, storage);
}

} // namespace

Component RegisterComponent(ComponentDescription* cd, ComponentRoutineUPP componentEntryPoint, SInt16,
                            Handle componentName, Handle componentInfo, Handle componentIcon)
{
  if (!cd || !componentEntryPoint || componentInfo || componentIcon) return nullptr;
  Tables& tables = TheTables();
  std::lock_guard<std::mutex> lock(tables.mMutex);
  for (size_t i = 0; i < kMaxComponents; ++i) {
    ComponentSlot& slot = tables.mComponents[i];
    if (slot.mUsed) continue;
    slot.mUsed = true;
    slot.mGeneration = NextGeneration(slot.mGeneration);
    slot.mDescription = *cd;
    slot.mEntry = componentEntryPoint;
    slot.mName.clear();
    if (componentName && *componentName) {
      const auto* pascal = reinterpret_cast<const unsigned char*>(*componentName);
      slot.mName.assign(reinterpret_cast<const char*>(pascal + 1), pascal[0]);
    }
    slot.mOpenInstances = 0;
    return reinterpret_cast<Component>(Encode(kComponentKind, i, slot.mGeneration));
  }
  return nullptr;
}

OSErr UnregisterComponent(Component aComponent)
{
  std::lock_guard<std::mutex> lock(TheTables().mMutex);
  ComponentSlot* slot = LiveComponent(aComponent);
  if (!slot) return invalidComponentID;
  if (slot->mOpenInstances > 0) return validInstancesExist;
  slot->mUsed = false;
  slot->mEntry = nullptr;
  return noErr;
}

long CountComponentInstances(Component aComponent)
{
  std::lock_guard<std::mutex> lock(TheTables().mMutex);
  ComponentSlot* slot = LiveComponent(aComponent);
  return slot ? slot->mOpenInstances : static_cast<long>(invalidComponentID);
}

Component FindNextComponent(Component aComponent, ComponentDescription* looking)
{
  Tables& tables = TheTables();
  std::lock_guard<std::mutex> lock(tables.mMutex);
  size_t start = 0;
  size_t index;
  uint16_t generation;
  if (aComponent && Decode(aComponent, kComponentKind, kMaxComponents, &index, &generation)) start = index + 1;
  for (size_t i = start; i < kMaxComponents; ++i) {
    const ComponentSlot& slot = tables.mComponents[i];
    if (!slot.mUsed) continue;
    if (looking) {
      const ComponentDescription& d = slot.mDescription;
      if (looking->componentType && looking->componentType != d.componentType) continue;
      if (looking->componentSubType && looking->componentSubType != d.componentSubType) continue;
      if (looking->componentManufacturer && looking->componentManufacturer != d.componentManufacturer) continue;
      const UInt32 mask = looking->componentFlagsMask;
      if ((d.componentFlags & mask) != (looking->componentFlags & mask)) continue;
    }
    return reinterpret_cast<Component>(Encode(kComponentKind, i, slot.mGeneration));
  }
  return nullptr;
}

OSErr GetComponentInfo(Component aComponent, ComponentDescription* cd, Handle componentName, Handle componentInfo,
                       Handle componentIcon)
{
  if (componentName || componentInfo || componentIcon) return paramErr;
  Tables& tables = TheTables();
  std::lock_guard<std::mutex> lock(tables.mMutex);
  const ComponentSlot* slot = LiveComponent(aComponent);
  if (!slot) {
    // An open instance stands for its component, as on a Mac.
    InstanceSlot* instance = LiveInstance(reinterpret_cast<ComponentInstance>(aComponent));
    if (instance) slot = &tables.mComponents[instance->mComponent];
  }
  if (!slot) return invalidComponentID;
  if (cd) *cd = slot->mDescription;
  return noErr;
}

OSErr OpenAComponent(Component aComponent, ComponentInstance* ci)
{
  if (!ci) return paramErr;
  *ci = nullptr;
  Tables& tables = TheTables();
  ComponentRoutineUPP entry;
  InstanceSlot* instance = nullptr;
  ComponentInstance handle = nullptr;
  {
    std::lock_guard<std::mutex> lock(tables.mMutex);
    ComponentSlot* component = LiveComponent(aComponent);
    if (!component) return invalidComponentID;
    for (size_t i = 0; i < kMaxInstances && !instance; ++i) {
      InstanceSlot& slot = tables.mInstances[i];
      if (slot.mStamp.load(std::memory_order_relaxed) != 0) continue;
      instance = &slot;
      slot.mGeneration = NextGeneration(slot.mGeneration);
      slot.mComponent = static_cast<size_t>(component - tables.mComponents);
      slot.mEntry.store(component->mEntry);
      slot.mStorage.store(nullptr);
      component->mOpenInstances++;
      slot.mStamp.store(slot.mGeneration, std::memory_order_release);
      handle = reinterpret_cast<ComponentInstance>(Encode(kInstanceKind, i, slot.mGeneration));
    }
    if (!instance) return memFullErr;
    entry = component->mEntry;
  }
  // The entry runs without the table lock: it may call back into the Component Manager.
  const ComponentResult result = CallWithInstance(entry, handle, kComponentOpenSelect, nullptr);
  if (result != noErr) {
    CallWithInstance(entry, handle, kComponentCloseSelect, instance->mStorage.load());
    std::lock_guard<std::mutex> lock(tables.mMutex);
    Forget(instance);
    return static_cast<OSErr>(result);
  }
  *ci = handle;
  return noErr;
}

ComponentInstance OpenComponent(Component aComponent)
{
  ComponentInstance ci = nullptr;
  OpenAComponent(aComponent, &ci);
  return ci;
}

OSErr CloseComponent(ComponentInstance aComponentInstance)
{
  InstanceSlot* instance = LiveInstance(aComponentInstance);
  if (!instance) return static_cast<OSErr>(badComponentInstance);
  const ComponentResult result =
      CallWithInstance(instance->mEntry.load(), aComponentInstance, kComponentCloseSelect, instance->mStorage.load());
  std::lock_guard<std::mutex> lock(TheTables().mMutex);
  if (LiveInstance(aComponentInstance) == instance) Forget(instance);
  return static_cast<OSErr>(result);
}

void SetComponentInstanceStorage(ComponentInstance aComponentInstance, Handle theStorage)
{
  if (InstanceSlot* instance = LiveInstance(aComponentInstance)) instance->mStorage.store(theStorage);
}

Handle GetComponentInstanceStorage(ComponentInstance aComponentInstance)
{
  InstanceSlot* instance = LiveInstance(aComponentInstance);
  return instance ? instance->mStorage.load() : nullptr;
}

ComponentResult GetComponentVersion(ComponentInstance ci)
{
  return ComponentCall::Dispatch(ci, kComponentVersionSelect);
}

ComponentResult ComponentFunctionImplemented(ComponentInstance ci, SInt16 ftnNumber)
{
  return ComponentCall::Dispatch(ci, kComponentCanDoSelect, ftnNumber);
}

ComponentResult CallComponentDispatch(ComponentParameters* cp)
{
  if (!cp) return paramErr;
  const size_t n = cp->paramSize / sizeof(long);
  ComponentInstance ci;
  std::memcpy(&ci, &cp->params[n], sizeof ci);
  InstanceSlot* instance = LiveInstance(ci);
  if (!instance) return badComponentInstance;
  return instance->mEntry.load()(cp, instance->mStorage.load());
}
