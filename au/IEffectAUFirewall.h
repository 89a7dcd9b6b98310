#pragma once
// What an exception escaping a host-facing call becomes: every C entry, the fast-dispatch render
// and the parameter functions catch everything and answer with this status instead.
// Call only from inside a catch block.

#include <AudioUnit/AudioUnit.h>

#include <new>

inline OSStatus StatusForCurrentException()
{
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return memFullErr;
  } catch (...) {
    return kAudioUnitErr_CannotDoInCurrentContext;
  }
}
