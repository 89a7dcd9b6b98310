// ClapCore.h: the basic types of CLAP's C ABI that every other declaration here builds on: the
// version record, the id type, the fixed text sizes, and the calling convention (the platform's C
// convention on Linux). Our own declarations of the published names and values, only what we use.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

typedef struct clap_version
{
  uint32_t major;
  uint32_t minor;
  uint32_t revision;
} clap_version_t;

// The ABI revision these declarations follow. Any 1.x host or plug-in is compatible with any other.
constexpr uint32_t CLAP_VERSION_MAJOR = 1;
constexpr uint32_t CLAP_VERSION_MINOR = 2;
constexpr uint32_t CLAP_VERSION_REVISION = 10;
constexpr clap_version_t CLAP_VERSION = {CLAP_VERSION_MAJOR, CLAP_VERSION_MINOR, CLAP_VERSION_REVISION};

typedef uint32_t clap_id;
constexpr clap_id CLAP_INVALID_ID = UINT32_MAX;

// Sizes of the fixed text buffers in records, terminating zero included.
constexpr size_t CLAP_NAME_SIZE = 256;
constexpr size_t CLAP_PATH_SIZE = 1024;

} // extern "C"

// Version 0.x was a draft with another ABI; every 1.x is compatible.
constexpr bool clap_version_is_compatible(clap_version_t v)
{
  return v.major >= 1;
}

static_assert(sizeof(clap_version_t) == 12, "clap_version is three 32-bit words");
