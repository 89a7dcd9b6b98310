#pragma once
// The state blob the adapters for hosts that store opaque bytes (LV2, CLAP, VST3) save and restore.
//
// Layout, integers little-endian: a four-byte tag naming the format ("BLV2", "BCLP", "BVST"), the
// blob's version (1), the plug-in's unique ID and maker ID, the payload's byte count, then the
// payload: one little-endian double per parameter (portable between machines) for a plug-in that
// keeps its state as parameters, or the product's own chunk for one that keeps a chunk.

#include <cstddef>
#include <cstdint>
#include <vector>

class IEffectBase;

constexpr size_t kStateBlobHeaderSize = 20;

// The whole blob for plug's state now; false when the product cannot serialize it.
bool SaveStateBlob(IEffectBase& plug, const char tag[4], std::vector<unsigned char>* out);

// Checks a header of kStateBlobHeaderSize bytes: the tag, the version and plug's IDs. True with the
// payload's byte count when it is one of plug's blobs.
bool ReadStateBlobHeader(const IEffectBase& plug, const char tag[4], const unsigned char* header,
                         uint32_t* payloadSize);

// Applies a payload, all or nothing: a chunk the product reads only in part is undone, and values are
// refused when one is not finite, or, when strict, outside its range or fractional for a stepped
// parameter (what no save of ours holds).
bool RestoreStateBlobPayload(IEffectBase& plug, const unsigned char* payload, size_t size, bool strict);
