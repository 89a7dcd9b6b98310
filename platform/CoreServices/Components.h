/*
 * Components.h — the Component Manager: registering components, opening instances and dispatching
 * selector calls to a component's entry function through a parameter block.
 *
 * Host-side stand-in for the Carbon Component Manager with Apple's published names, values and
 * records. The parameter-block convention is the classic one, so an entry function reads its
 * arguments exactly as it does on a Mac:
 *
 *   - `what` is the selector (negative values are the Component Manager's own requests);
 *   - the selector's arguments occupy one `long` slot each, stored LAST FIRST: for a call with n
 *     arguments, argument i (0 = first in the published order) is at params[n - 1 - i], and
 *     `paramSize` is n * sizeof(long);
 *   - each value lies in the low-address bytes of its slot (the rest zeroed); read it by copying
 *     sizeof(T) bytes out of the slot, T being the argument's published type:
 *       T value; memcpy(&value, &params->params[n - 1 - i], sizeof value);
 *     (a copy rather than a cast through T*, which would break C++ aliasing rules);
 *   - the calling instance follows the counted arguments, at params[n]; the entry function is handed
 *     the block (with the instance outside `paramSize`) and the instance's storage.
 *
 * kComponentOpenSelect and kComponentCloseSelect carry one argument, the instance itself;
 * kComponentCanDoSelect carries the selector asked about (SInt16); kComponentVersionSelect none.
 *
 * Component and ComponentInstance values are handles, not addresses: a closed instance or an
 * unregistered component is recognised and refused rather than followed. As on a Mac, an instance
 * may be passed wherever a Component is expected (GetComponentInfo accepts either).
 */
#ifndef BRINDLE_PLATFORM_COMPONENTS_H
#define BRINDLE_PLATFORM_COMPONENTS_H

#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef SInt32 ComponentResult;

typedef struct ComponentRecord
{
  long data[1];
} ComponentRecord;
typedef ComponentRecord* Component;
typedef struct ComponentInstanceRecord
{
  long data[1];
} ComponentInstanceRecord;
typedef ComponentInstanceRecord* ComponentInstance;

typedef struct ComponentDescription
{
  OSType componentType;         /* 0 matches any type in FindNextComponent */
  OSType componentSubType;      /* 0 matches any subtype */
  OSType componentManufacturer; /* 0 matches any manufacturer */
  UInt32 componentFlags;
  UInt32 componentFlagsMask;
} ComponentDescription;

enum { kSmallestArray = 1 };

typedef struct ComponentParameters
{
  UInt8 flags;
  UInt8 paramSize; /* bytes of counted arguments in params[] */
  SInt16 what;     /* the selector */
#if defined(__LP64__) && __LP64__
  UInt32 padding;
#endif
  long params[kSmallestArray];
} ComponentParameters;

typedef ComponentResult (*ComponentRoutineProcPtr)(ComponentParameters* cp, Handle componentStorage);
typedef ComponentRoutineProcPtr ComponentRoutineUPP;

/* Requests every component answers. */
enum {
  kComponentOpenSelect = -1,
  kComponentCloseSelect = -2,
  kComponentCanDoSelect = -3,
  kComponentVersionSelect = -4
};

/* Component Manager status codes. */
enum { invalidComponentID = -3000, validInstancesExist = -3001, unresolvedComponentDLLErr = -3004 };
#define badComponentInstance ((OSStatus)0x80008001)
#define badComponentSelector ((OSStatus)0x80008002)

/* Registers a component given its description and entry function. `componentName` may be NULL or a
 * handle to a Pascal string; `componentInfo` and `componentIcon` must be NULL here. `global` is
 * accepted for compatibility (registrations are process-wide). Returns NULL for a NULL description or
 * entry, non-NULL info or icon handles, or a full table. */
Component RegisterComponent(ComponentDescription* cd, ComponentRoutineUPP componentEntryPoint, SInt16 global,
                            Handle componentName, Handle componentInfo, Handle componentIcon);

/* Removes a registration; validInstancesExist while instances are open, invalidComponentID for an
 * unknown component. */
OSErr UnregisterComponent(Component aComponent);

/* Next registered component after aComponent (NULL = from the start) whose description matches
 * `looking`: zero type, subtype and manufacturer fields match anything; flags are compared under
 * looking->componentFlagsMask. A NULL `looking` matches every component. */
Component FindNextComponent(Component aComponent, ComponentDescription* looking);

/* The registered description of a component or of an open instance's component. Only the
 * description is served: the three handles must be NULL (paramErr otherwise). */
OSErr GetComponentInfo(Component aComponent, ComponentDescription* cd, Handle componentName, Handle componentInfo,
                       Handle componentIcon);

/* Opens an instance: calls the entry with kComponentOpenSelect. When the entry refuses (non-zero
 * result), the entry is still sent kComponentCloseSelect so that it can free what the open left, the
 * instance is forgotten, *ci is NULL and the open result is returned. invalidComponentID for an
 * unknown component, memFullErr when no instance slot is free. */
OSErr OpenAComponent(Component aComponent, ComponentInstance* ci);
ComponentInstance OpenComponent(Component aComponent);

/* Calls the entry with kComponentCloseSelect, then forgets the instance, whatever the entry said. */
OSErr CloseComponent(ComponentInstance aComponentInstance);

/* Number of open instances of a component; invalidComponentID for an unknown component. */
long CountComponentInstances(Component aComponent);

void SetComponentInstanceStorage(ComponentInstance aComponentInstance, Handle theStorage);
Handle GetComponentInstanceStorage(ComponentInstance aComponentInstance);

/* The kComponentVersionSelect and kComponentCanDoSelect requests. */
ComponentResult GetComponentVersion(ComponentInstance ci);
ComponentResult ComponentFunctionImplemented(ComponentInstance ci, SInt16 ftnNumber);

/* Dispatches a filled parameter block: the instance is read from params[paramSize / sizeof(long)],
 * its entry is called with the block and the instance storage. badComponentInstance for an instance
 * that is not open. */
ComponentResult CallComponentDispatch(ComponentParameters* cp);

#ifdef __cplusplus
}
#endif

#endif
