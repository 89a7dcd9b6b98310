// The product's Audio Unit instantiation, and MakeGraphics for it.
#include "effect/Brindle.h"
#include "effect/BrindlePlugImpl.h"

template class BrindlePlug<IEffectAU>;

IGraphicsMac* MakeGraphics(IEffectAU* plug, int width, int height, int frameRate)
{
  IGraphicsMac* graphics = new IGraphicsMac(plug, width, height, frameRate);
  graphics->SetBundleID(plug->GetBundleID());
  return graphics;
}
