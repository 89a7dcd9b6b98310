// PresetCodec over an in-process Brindle and the plug-in core's preset file code.
#include "tools/files/PresetCodec.h"

#include "BrindleIdentity.h"
#include "au/AUPlugFactory.h"
#include "effect/Brindle.h"
#include "plugcore/IParam.h"
#include "plugcore/ByteChunk.h"
#include "plugcore/PresetFiles.h"
#include "tools/files/OutputFiles.h"
#include "tools/host/ComponentHost.h"

#include <cctype>
#include <cmath>
#include <cstring>

namespace {

bool EndsWith(const std::string& text, const std::string& tail)
{
  if (text.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[text.size() - tail.size() + i])) != tail[i]) return false;
  return true;
}

} // namespace

PresetFormat PresetFormatOf(const std::string& path)
{
  if (EndsWith(path, ".aupreset")) return PresetFormat::kAUPreset;
  if (EndsWith(path, ".fxp")) return PresetFormat::kFXP;
  if (EndsWith(path, ".fxb")) return PresetFormat::kFXB;
  return PresetFormat::kUnknown;
}

PresetCodec::PresetCodec()
{
  mPlug = std::make_unique<Brindle>(MakeAUInstanceInfo<BrindleIdentity>());
  // As the component does when it opens: a host only ever sees the presets the product made.
  mPlug->PruneUninitializedPresets();
}

PresetCodec::~PresetCodec() = default;

IEffectBase& PresetCodec::Plug()
{
  return *mPlug;
}

bool PresetCodec::Load(const std::string& path, std::string& error)
{
  const PresetFormat format = PresetFormatOf(path);
  if (format == PresetFormat::kUnknown) {
    error = "'" + path + "' is not a preset file (expected .aupreset, .fxp or .fxb)";
    return false;
  }
  if (format == PresetFormat::kAUPreset) {
    AUPresetContents state;
    return LoadAsState(path, state, error);
  }
  PresetFileBytes bytes;
  std::string reason;
  if (!ReadPresetFile(path.c_str(), &bytes, &reason)) {
    error = reason;
    return false;
  }
  bool ok = format == PresetFormat::kFXP ? mPlug->LoadProgramFile(bytes.data(), bytes.size(), &reason)
                                         : mPlug->LoadBankFile(bytes.data(), bytes.size(), &reason);
  mBank = FXBBank{};
  if (ok && format == PresetFormat::kFXB && ParseFXB(bytes.data(), bytes.size(), &mBank, &reason) && !mBank.mIsChunk) {
    // The plug-in keeps fewer presets than a bank may hold: the bank's current program is the state,
    // and the bank is kept whole for an .fxb written from it.
    const int current = mBank.mCurrentPreset;
    PresetFileBytes program;
    if (current >= 0 && current < static_cast<int>(mBank.mPrograms.size()) &&
        BuildFXP(mBank.mPrograms[static_cast<size_t>(current)], &program, &reason))
      ok = mPlug->LoadProgramFile(program.data(), program.size(), &reason);
  } else {
    mBank = FXBBank{};
  }
  if (!ok) error = "'" + path + "' is not a usable " + (format == PresetFormat::kFXP ? ".fxp" : ".fxb") + ": " + reason;
  return ok;
}

bool PresetCodec::LoadAsState(const std::string& path, AUPresetContents& state, std::string& error)
{
  if (PresetFormatOf(path) != PresetFormat::kAUPreset) {
    if (!Load(path, error)) return false;
    state = ToAUPreset();
    return true;
  }
  mBank = FXBBank{};
  AUPresetContents read;
  if (!ReadAUPresetFile(path, read, error)) return false;
  if (!FromAUPreset(read, error)) {
    error = "'" + path + "': " + error;
    return false;
  }
  state = std::move(read);
  return true;
}

bool PresetCodec::Save(const std::string& path, std::string& error)
{
  const PresetFormat format = PresetFormatOf(path);
  if (format == PresetFormat::kUnknown) {
    error = "'" + path + "' does not end in .aupreset, .fxp or .fxb";
    return false;
  }
  if (format == PresetFormat::kAUPreset) return WriteAUPresetFile(path, ToAUPreset(), error);
  // Program and bank files keep normalized values that load snapped to the step grid, while the
  // plug-in acts on a stepped value by its type: a bool from 0.5 up is on, an int or enum counts
  // by its whole part (0.7 is 0). Stored that way, a converted preset means what the original did.
  for (int i = 0; i < mPlug->NParams(); ++i) {
    IParam* param = mPlug->GetParam(i);
    if (param->Type() == IParam::kTypeBool)
      param->Set(param->Bool() ? 1.0 : 0.0);
    else if (param->Type() == IParam::kTypeInt || param->Type() == IParam::kTypeEnum)
      param->Set(std::trunc(param->Value()));
  }
  mPlug->ModifyCurrentPreset(nullptr);
  PresetFileBytes bytes;
  std::string reason;
  const bool built = format == PresetFormat::kFXP ? mPlug->BuildProgramFile(&bytes, &reason)
                     : mBank.mPrograms.empty()    ? mPlug->BuildBankFile(&bytes, &reason)
                                                  : BuildBankOverLoaded(&bytes, &reason);
  if (!built) {
    error = "cannot build '" + path + "': " + reason;
    return false;
  }
  return WriteOutputFile(path, std::string(bytes.begin(), bytes.end()), error);
}

AUPresetContents PresetCodec::ToAUPreset()
{
  AUPresetContents state;
  state.version = mPlug->GetEffectVersion(false);
  state.type = static_cast<std::int32_t>(kBrindleComponentType);
  state.subtype = mPlug->GetPlugID();
  state.manufacturer = mPlug->GetMakerID();
  state.name = mPlug->GetPresetName(mPlug->GetCurrentPresetIdx());
  ByteChunk chunk;
  if (mPlug->SerializeState(&chunk)) state.data.assign(chunk.Bytes(), chunk.Bytes() + chunk.Size());
  return state;
}

bool PresetCodec::FromAUPreset(const AUPresetContents& state, std::string& error)
{
  if (!CheckAUPresetIdentity(state, kBrindleComponentType, static_cast<OSType>(mPlug->GetPlugID()),
                             static_cast<OSType>(mPlug->GetMakerID()), error))
    return false;
  if (state.data.size() > static_cast<size_t>(kPresetFileMaxBytes)) {
    error = "the state is larger than the 1 MiB preset file limit";
    return false;
  }
  // Without chunks the state is one double per parameter; check them all before applying any.
  if (!mPlug->UsesChunks()) {
    const size_t need = static_cast<size_t>(mPlug->NParams()) * sizeof(double);
    if (state.data.size() < need) {
      error = "the state holds " + std::to_string(state.data.size()) + " bytes, " + std::to_string(need) +
              " are needed for " + std::to_string(mPlug->NParams()) + " parameters";
      return false;
    }
    for (int i = 0; i < mPlug->NParams(); ++i) {
      double v;
      std::memcpy(&v, state.data.data() + static_cast<size_t>(i) * sizeof(double), sizeof v);
      if (!std::isfinite(v)) {
        error = std::string("parameter \"") + mPlug->GetParam(i)->GetNameForHost() + "\" is not a finite number";
        return false;
      }
    }
  }
  ByteChunk chunk;
  const int n = static_cast<int>(state.data.size());
  if (chunk.Resize(n) != n) {
    error = "out of memory";
    return false;
  }
  if (n) std::memcpy(chunk.Bytes(), state.data.data(), state.data.size());
  ByteChunk before;
  mPlug->SerializeState(&before);
  if (mPlug->UnserializeState(&chunk, 0) <= 0) {
    mPlug->UnserializeState(&before, 0);
    error = "the plug-in could not read the state";
    return false;
  }
  mPlug->ModifyCurrentPreset(state.name.c_str());
  return true;
}

bool PresetCodec::BuildBankOverLoaded(PresetFileBytes* out, std::string* error)
{
  PresetFileBytes bytes;
  FXPProgram current;
  if (!mPlug->BuildProgramFile(&bytes, error) || !ParseFXP(bytes.data(), bytes.size(), &current, error)) return false;
  FXBBank bank = mBank;
  bank.mPlugVersion = current.mPlugVersion;
  const int index = bank.mCurrentPreset >= 0 && bank.mCurrentPreset < static_cast<int>(bank.mPrograms.size())
                        ? bank.mCurrentPreset
                        : 0;
  bank.mCurrentPreset = index;
  bank.mPrograms[static_cast<size_t>(index)] = current;
  return BuildFXB(bank, out, error);
}
