// Preset dumps of IEffectBase: source text for a product's constructor that
// recreates the current preset, as named parameter values or as a Base64 blob.
// Both texts are built whole in memory (a blob has no length limit) and written
// through a temporary file like the preset files.

#include <cstdarg>
#include <cstdio>
#include <string>

#include "plugcore/Base64.h"
#include "plugcore/IEffectBase.h"
#include "plugcore/PresetFiles.h"

namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* format, ...)
{
  char buffer[256];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return n < 0
             ? std::string()
             : std::string(buffer, static_cast<size_t>(n) < sizeof buffer ? static_cast<size_t>(n) : sizeof buffer - 1);
}

// The value as the maker call takes it: a word for switches, a whole number for
// integer and list parameters, six decimals otherwise.
std::string ValueSource(const IParam* param)
{
  switch (param->Type()) {
  case IParam::kTypeBool:
    return param->mValue >= 0.5 ? "true" : "false";
  case IParam::kTypeInt:
  case IParam::kTypeEnum:
    return Format("%d", static_cast<int>(param->mValue));
  default:
    return Format("%.6f", param->mValue);
  }
}

bool WriteText(const char* path, const std::string& text)
{
  std::string error;
  return WritePresetFile(path, std::vector<unsigned char>(text.begin(), text.end()), &error);
}

} // namespace

bool IEffectBase::DumpPresetSrcCode(const char* path, const char** paramEnumNames)
{
  if (!path) return false;
  std::string text;
  {
    Core_MutexLock lock(mMutex);
    const int n = NParams();
    text = Format("  MakePresetFromNamedParams(\"name\", %d", n);
    for (int i = 0; i < n; ++i) {
      const char* name = paramEnumNames ? paramEnumNames[i] : nullptr;
      text += ",\n    " + (name ? std::string(name) : Format("%d", i)) + ", " + ValueSource(GetParam(i));
    }
    text += ");\n";
  }
  return WriteText(path, text);
}

bool IEffectBase::DumpPresetBlob(const char* path)
{
  if (!path) return false;
  std::string text;
  {
    Core_MutexLock lock(mMutex);
    const IPreset* preset = GetPreset(mCurrentPreset);
    if (!preset) return false;
    const ByteChunk& chunk = preset->mChunk;
    text = "MakePresetFromBlob(\"name\", \"" + Base64Encode(chunk.Bytes(), chunk.Size()) +
           Format("\", %i);\n", chunk.Size());
  }
  return WriteText(path, text);
}
