// Fuzzes the core's state readers with hostile chunks: UnserializeState, UnserializePresets,
// MakePresetFromChunk and MakePresetFromBlob (each followed by restoring the preset made). The
// first byte picks the reader and the start position; whatever the data, the run must stay inside
// the buffers and leave every parameter inside its bounds.

#include "FuzzInput.h"
#include "FuzzPlugs.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  FuzzInput in(data, size);
  const uint8_t op = in.Byte();
  // Start positions around the data, negative ones included.
  const int startPos = static_cast<int8_t>(in.Byte());
  FuzzPlug plug((op & 0x80) != 0, 4);
  const std::vector<uint8_t> rest = in.Rest();
  ByteChunk chunk;
  chunk.PutRaw(rest.data(), static_cast<int>(rest.size()));
  switch (op & 3) {
  case 0:
    plug.UnserializeState(&chunk, startPos);
    break;
  case 1:
    plug.UnserializePresets(&chunk, startPos);
    break;
  case 2:
    plug.MakePresetFromChunk("Chunk", &chunk);
    plug.RestorePreset(2);
    break;
  default: {
    // The blob text up to its first zero; the chunk size from the start byte, up to 4 KiB.
    const std::string text(rest.begin(), rest.end());
    plug.MakePresetFromBlob("Blob", text.c_str(), (startPos & 0x7F) * 32);
    plug.RestorePreset(2);
    break;
  }
  }
  FuzzCheckPlug(plug);
  return 0;
}
