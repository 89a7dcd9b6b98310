// IEffectBase: host identification, versions and API/architecture texts.
#include <cstdio>

#include "plugcore/IEffectBase.h"
#include "plugcore/Trace.h"
#include "plugcore/Version.h"

void IEffectBase::SetHost(const char* host, int version)
{
  mHost = LookUpHost(host);
  mHostVersion = version;
  char versionStr[kVersionStrSize];
  GetVersionStr(version, versionStr);
  Trace("SetHost", __LINE__, "host_%sknown:%s:%s", mHost == kHostUnknown ? "un" : "", host ? host : "", versionStr);
}

int IEffectBase::GetHostVersion(bool decimal)
{
  GetHost();
  return decimal ? GetDecimalVersion(mHostVersion) : mHostVersion;
}

void IEffectBase::GetHostVersionStr(char* out)
{
  GetHost();
  GetVersionStr(mHostVersion, out);
}

int IEffectBase::GetEffectVersion(bool decimal) const
{
  return decimal ? GetDecimalVersion(mVersion) : mVersion;
}

void IEffectBase::GetEffectVersionStr(char* out) const
{
  GetVersionStr(mVersion, out);
}

const char* IEffectBase::GetAPIString()
{
  return GetAPIStr(GetAPI());
}

const char* IEffectBase::GetArchString() const
{
  return "x64";
}
