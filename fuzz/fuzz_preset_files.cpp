// Fuzzes the program and bank file loaders. A refused file must leave the plug-in exactly as it
// was; an accepted one must leave every value in bounds and build a file that parses again.

#include "FuzzInput.h"
#include "FuzzPlugs.h"

#include "plugcore/PresetFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 1) return 0;
  const uint8_t op = data[0];
  const bool chunks = (op & 2) != 0, bank = (op & 1) != 0;
  FuzzPlug plug(chunks, 3);
  plug.RestorePreset(1);
  const std::vector<unsigned char> before = FuzzSnapshot(plug);
  const bool loaded = bank ? plug.LoadBankFile(data + 1, size - 1) : plug.LoadProgramFile(data + 1, size - 1);
  if (!loaded) {
    if (FuzzSnapshot(plug) != before) FuzzFail("a refused file changed the plug-in");
    return 0;
  }
  FuzzCheckPlug(plug);
  std::vector<unsigned char> again;
  if (!(bank ? plug.BuildBankFile(&again) : plug.BuildProgramFile(&again))) FuzzFail("cannot save what was loaded");
  FXPProgram program;
  FXBBank parsedBank;
  if (!(bank ? ParseFXB(again.data(), again.size(), &parsedBank, nullptr)
             : ParseFXP(again.data(), again.size(), &program, nullptr)))
    FuzzFail("a saved file does not parse");
  return 0;
}
