// Program and bank files of IEffectBase: between the plug-in's parameters and
// presets and the file layouts of PresetFiles.h, and the editor's file prompt.
//
// Loads check the whole file against the plug-in before touching anything, so a
// refused file changes nothing. The one step that can still fail afterwards, a
// product's own UnserializeState on a chunk, is undone from a snapshot.

#include <cmath>
#include <cstring>

#include "plugcore/IEffectBase.h"
#include "plugcore/PresetFiles.h"

namespace {

bool Refuse(std::string* error, const std::string& why)
{
  if (error) *error = why;
  return false;
}

// Asks the editor for a file; false without an editor or when it comes back empty.
bool PromptForPresetFile(IEditorDelegate* editor, EFileAction action, const char* name, const char* extension,
                         Core_String* dir, std::string* path)
{
  if (!editor) return false;
  Core_String file(name ? name : "");
  char extensions[8] = {};
  std::strncpy(extensions, extension, sizeof extensions - 1);
  editor->PromptForFile(&file, action, dir, extensions);
  if (!file.Get() || !*file.Get()) return false;
  *path = file.Get();
  return true;
}

float NormalizedForFile(const IParam* param, double value)
{
  return static_cast<float>(param->GetNormalized(value));
}

// Out-of-range normalized values from foreign files are pulled into 0..1 (below 0
// SetNormalized would leave the value under the parameter's minimum).
void SetFromFile(IParam* param, float normalized)
{
  const double v = normalized < 0.0f ? 0.0 : (normalized > 1.0f ? 1.0 : static_cast<double>(normalized));
  param->SetNormalized(v);
}

// The state chunk of a chunk-form file, with the framework's version header put
// in front of the plug-in's state.
std::vector<unsigned char> HeaderedChunk(IEffectBase* plug, bool bank, bool* ok)
{
  ByteChunk chunk;
  IEffectBase::InitChunkWithIEffectVer(&chunk);
  *ok = bank ? plug->SerializePresets(&chunk) : plug->SerializeState(&chunk);
  return std::vector<unsigned char>(chunk.Bytes(), chunk.Bytes() + chunk.Size());
}

// The file's chunk as a ByteChunk and the position after its optional header;
// false when the header is cut short.
bool OpenChunk(const std::vector<unsigned char>& bytes, ByteChunk* chunk, int* pos)
{
  if (bytes.size() > static_cast<size_t>(kPresetFileMaxBytes)) return false;
  const int n = static_cast<int>(bytes.size());
  if (chunk->Resize(n) != n) return false;
  if (n) std::memcpy(chunk->Bytes(), bytes.data(), bytes.size());
  *pos = 0;
  IEffectBase::GetIEffectVerFromChunk(chunk, pos);
  return *pos >= 0;
}

} // namespace

bool IEffectBase::BuildProgramFile(std::vector<unsigned char>* out, std::string* error)
{
  if (!out) return false;
  Core_MutexLock lock(mMutex);
  FXPProgram program;
  program.mPlugID = mPlugID;
  program.mPlugVersion = GetEffectVersion(true);
  program.mNumParams = NParams();
  program.mName = GetPresetName(mCurrentPreset);
  if (mUsesChunks) {
    bool ok = false;
    program.mIsChunk = true;
    program.mChunk = HeaderedChunk(this, false, &ok);
    if (!ok) return Refuse(error, "the plug-in could not serialize its state");
  } else {
    for (int i = 0; i < NParams(); ++i) program.mValues.push_back(NormalizedForFile(GetParam(i), GetParam(i)->mValue));
  }
  return BuildFXP(program, out, error);
}

bool IEffectBase::BuildBankFile(std::vector<unsigned char>* out, std::string* error)
{
  if (!out) return false;
  Core_MutexLock lock(mMutex);
  FXBBank bank;
  bank.mPlugID = mPlugID;
  bank.mPlugVersion = GetEffectVersion(true);
  bank.mNumPresets = NPresets();
  bank.mCurrentPreset = mCurrentPreset;
  if (mUsesChunks) {
    bool ok = false;
    bank.mIsChunk = true;
    bank.mChunk = HeaderedChunk(this, true, &ok);
    if (!ok) return Refuse(error, "the plug-in could not serialize its presets");
  } else {
    const int n = NParams();
    for (int p = 0; p < NPresets(); ++p) {
      const IPreset* preset = GetPreset(p);
      FXPProgram program;
      program.mPlugID = mPlugID;
      program.mPlugVersion = bank.mPlugVersion;
      program.mNumParams = n;
      program.mName = preset->mName;
      // The preset's stored doubles in parameter order; a value it lacks counts as 0.
      int pos = 0;
      for (int i = 0; i < n; ++i) {
        double v = 0.0;
        if (pos >= 0) pos = preset->mChunk.Get(&v, pos);
        if (pos < 0) v = 0.0;
        program.mValues.push_back(NormalizedForFile(GetParam(i), v));
      }
      bank.mPrograms.push_back(std::move(program));
    }
  }
  return BuildFXB(bank, out, error);
}

bool IEffectBase::LoadProgramFile(const unsigned char* data, size_t size, std::string* error)
{
  FXPProgram program;
  if (!ParseFXP(data, size, &program, error)) return false;
  if (program.mPlugID != mPlugID)
    return Refuse(error, "the program is for plug-in '" + PresetFileCodeText(program.mPlugID) + "', not '" +
                             PresetFileCodeText(mPlugID) + "'");
  if (program.mNumParams != NParams())
    return Refuse(error, "the program has " + std::to_string(program.mNumParams) + " parameters, the plug-in " +
                             std::to_string(NParams()));
  if (program.mIsChunk && !mUsesChunks) return Refuse(error, "the plug-in does not read state chunks");

  Core_MutexLock lock(mMutex);
  if (program.mIsChunk) {
    ByteChunk chunk, before;
    int pos = 0;
    if (!OpenChunk(program.mChunk, &chunk, &pos)) return Refuse(error, "the state chunk's header is cut short");
    SerializeState(&before);
    if (UnserializeState(&chunk, pos) < 0) {
      UnserializeState(&before, 0);
      return Refuse(error, "the plug-in could not read the program's state");
    }
  } else {
    for (int i = 0; i < NParams(); ++i) SetFromFile(GetParam(i), program.mValues[static_cast<size_t>(i)]);
  }
  ModifyCurrentPreset(program.mName.c_str());
  // Re-applying the preset runs the parameter-change handlers and redraws the editor.
  if (!RestorePreset(mCurrentPreset)) {
    OnParamReset();
    RedrawParamControls();
  }
  InformHostOfProgramChange();
  return true;
}

bool IEffectBase::LoadBankFile(const unsigned char* data, size_t size, std::string* error)
{
  FXBBank bank;
  if (!ParseFXB(data, size, &bank, error)) return false;
  if (bank.mPlugID != mPlugID)
    return Refuse(error, "the bank is for plug-in '" + PresetFileCodeText(bank.mPlugID) + "', not '" +
                             PresetFileCodeText(mPlugID) + "'");
  if (bank.mIsChunk && !mUsesChunks) return Refuse(error, "the plug-in does not read state chunks");
  for (size_t i = 0; i < bank.mPrograms.size(); ++i) {
    if (bank.mPrograms[i].mNumParams != NParams())
      return Refuse(error, "program " + std::to_string(i) + " has " + std::to_string(bank.mPrograms[i].mNumParams) +
                               " parameters, the plug-in " + std::to_string(NParams()));
  }

  Core_MutexLock lock(mMutex);
  if (bank.mIsChunk) {
    ByteChunk chunk, stateBefore;
    int pos = 0;
    if (!OpenChunk(bank.mChunk, &chunk, &pos)) return Refuse(error, "the state chunk's header is cut short");
    std::vector<IPreset> presetsBefore;
    for (int i = 0; i < NPresets(); ++i) presetsBefore.push_back(*GetPreset(i));
    const int currentBefore = mCurrentPreset;
    SerializeState(&stateBefore);
    if (UnserializePresets(&chunk, pos) < 0) {
      for (int i = 0; i < NPresets(); ++i) *GetPreset(i) = presetsBefore[static_cast<size_t>(i)];
      mCurrentPreset = currentBefore;
      UnserializeState(&stateBefore, 0);
      return Refuse(error, "the plug-in could not read the bank's presets");
    }
  } else {
    // Programs beyond the plug-in's preset count have nowhere to go.
    const int n =
        static_cast<int>(bank.mPrograms.size()) < NPresets() ? static_cast<int>(bank.mPrograms.size()) : NPresets();
    for (int p = 0; p < n; ++p) {
      const FXPProgram& program = bank.mPrograms[static_cast<size_t>(p)];
      for (int i = 0; i < NParams(); ++i) SetFromFile(GetParam(i), program.mValues[static_cast<size_t>(i)]);
      IPreset* preset = GetPreset(p);
      preset->mInitialized = true;
      preset->mChunk.Clear();
      SerializeState(&preset->mChunk);
      if (!program.mName.empty()) preset->SetName(program.mName.c_str());
    }
    // An index outside the plug-in's list keeps the current preset.
    const int current =
        bank.mCurrentPreset >= 0 && bank.mCurrentPreset < NPresets() ? bank.mCurrentPreset : mCurrentPreset;
    if (!RestorePreset(current)) {
      OnParamReset();
      RedrawParamControls();
    }
  }
  InformHostOfProgramChange();
  return true;
}

bool IEffectBase::SaveProgramAsFXP(const char* defaultFileName)
{
  std::string path, error;
  std::vector<unsigned char> bytes;
  if (!PromptForPresetFile(mGraphics.get(), kFileSave, defaultFileName, "fxp", &mPresetPath, &path)) return false;
  return BuildProgramFile(&bytes, &error) && WritePresetFile(path.c_str(), bytes, &error);
}

bool IEffectBase::SaveBankAsFXB(const char* defaultFileName)
{
  std::string path, error;
  std::vector<unsigned char> bytes;
  if (!PromptForPresetFile(mGraphics.get(), kFileSave, defaultFileName, "fxb", &mPresetPath, &path)) return false;
  return BuildBankFile(&bytes, &error) && WritePresetFile(path.c_str(), bytes, &error);
}

bool IEffectBase::LoadProgramFromFXP()
{
  std::string path, error;
  std::vector<unsigned char> bytes;
  if (!PromptForPresetFile(mGraphics.get(), kFileOpen, "", "fxp", &mPresetPath, &path)) return false;
  return ReadPresetFile(path.c_str(), &bytes, &error) && LoadProgramFile(bytes.data(), bytes.size(), &error);
}

bool IEffectBase::LoadBankFromFXB()
{
  std::string path, error;
  std::vector<unsigned char> bytes;
  if (!PromptForPresetFile(mGraphics.get(), kFileOpen, "", "fxb", &mPresetPath, &path)) return false;
  return ReadPresetFile(path.c_str(), &bytes, &error) && LoadBankFile(bytes.data(), bytes.size(), &error);
}
