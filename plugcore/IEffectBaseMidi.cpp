// MIDI defaults of IEffectBase that go beyond a single message.

#include "plugcore/IEffectBase.h"
#include "plugcore/IMidiMsg.h"

bool IEffectBase::SendMidiMsgs(const Core_TypedBuf<IMidiMsg>* pMsgs)
{
  if (!pMsgs) return true;
  bool ok = true;
  const int n = pMsgs->GetSize();
  for (int i = 0; i < n; ++i) {
    // Copy: SendMidiMsg takes a mutable message, the list is read-only here.
    IMidiMsg msg = pMsgs->Get()[i];
    ok = SendMidiMsg(&msg) && ok;
  }
  return ok;
}
