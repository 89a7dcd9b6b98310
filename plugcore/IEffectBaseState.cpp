// Parameter state of IEffectBase: the default state serialization (one double per
// parameter), state comparison, the optional version header, and the calls that
// push every parameter value to the editor or the host.

#include <cmath>
#include <cstring>
#include <limits>

#include "plugcore/IEffectBase.h"
#include "plugcore/Trace.h"

namespace {

// double -> float with IEEE saturation: out-of-range values become infinities
// instead of an undefined conversion.
float ToFloat(double v)
{
  constexpr double kMax = std::numeric_limits<float>::max();
  if (v > kMax) return std::numeric_limits<float>::infinity();
  if (v < -kMax) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(v);
}

} // namespace

bool IEffectBase::SerializeState(ByteChunk* chunk)
{
  return SerializeParams(chunk);
}

int IEffectBase::UnserializeState(ByteChunk* chunk, int startPos)
{
  return UnserializeParams(chunk, startPos);
}

bool IEffectBase::SerializeParams(ByteChunk* chunk)
{
  if (!chunk) return false;
  Core_MutexLock lock(mMutex);
  bool ok = true;
  const int n = NParams();
  for (int i = 0; i < n; ++i) {
    IParam* param = GetParam(i);
    Trace("SerializeParams", __LINE__, "%d %s %f", i, param->GetNameForHost(), param->mValue);
    const double v = param->mValue;
    ok = chunk->Put(&v) > 0 && ok;
  }
  return ok;
}

int IEffectBase::UnserializeParams(ByteChunk* chunk, int startPos)
{
  if (!chunk) return -1;
  Core_MutexLock lock(mMutex);
  int pos = startPos;
  const int n = NParams();
  for (int i = 0; i < n && pos >= 0; ++i) {
    IParam* param = GetParam(i);
    double v = 0.0;
    pos = chunk->Get(&v, pos);
    // A NaN from foreign data would slip through any clamp; read it as a failed 0.
    if (std::isnan(v)) v = 0.0;
    param->Set(v);
    Trace("UnserializeParams", __LINE__, "%d %s %f", i, param->GetNameForHost(), param->mValue);
  }
  for (int i = 0; i < n; ++i) OnParamChange(i);
  return pos < 0 ? -1 : pos;
}

bool IEffectBase::CompareState(const unsigned char* state, int startPos)
{
  const int n = NParams();
  if (n == 0) return true;
  if (!state || startPos < 0) return false;
  for (int i = 0; i < n; ++i) {
    double stored;
    std::memcpy(&stored, state + (static_cast<size_t>(startPos) + static_cast<size_t>(i)) * sizeof(double),
                sizeof(double));
    const float diff = ToFloat(GetParam(i)->mValue) - ToFloat(stored);
    // The single-precision difference is held against 1e-5 itself, not against the
    // float nearest it (which lies just below): a difference of exactly 1e-5f is equal.
    if (!(static_cast<double>(std::fabs(diff)) < 1e-5)) return false;
  }
  return true;
}

void IEffectBase::RedrawParamControls()
{
  if (!mGraphics) return;
  const int n = NParams();
  for (int i = 0; i < n; ++i) ShowParamInEditor(i, GetParam(i)->mValue, false);
}

void IEffectBase::DirtyParameters()
{
  Core_MutexLock lock(mMutex);
  const int n = NParams();
  for (int i = 0; i < n; ++i) InformHostOfParamChange(i, GetParam(i)->GetNormalized());
}

void IEffectBase::InitChunkWithIEffectVer(ByteChunk* chunk)
{
  if (!chunk) return;
  chunk->Clear();
  chunk->Put(&kIEffectVerMagic);
  chunk->Put(&kIEffectVer);
}

int IEffectBase::GetIEffectVerFromChunk(ByteChunk* chunk, int* pos)
{
  if (!chunk || !pos) return 0;
  int32_t magic = 0;
  const int verPos = chunk->Get(&magic, *pos);
  if (verPos < 0 || magic != kIEffectVerMagic) return 0;
  int32_t ver = 0;
  *pos = chunk->Get(&ver, verPos);
  return *pos < 0 ? 0 : ver;
}
