#include "plugcore/IPreset.h"

#include <cstring>

void IPreset::SetName(const char* name)
{
  if (!name) name = "";
  const size_t n = strnlen(name, kNameSize - 1);
  std::memmove(mName, name, n);
  mName[n] = '\0';
}
