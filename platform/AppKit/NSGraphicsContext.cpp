// The current drawing context.
#include <AppKit/NSGraphicsContext.h>

namespace {
NSGraphicsContext* sCurrent = nil; // retained
}

NSGraphicsContext::~NSGraphicsContext()
{
  CGContextRelease(mPort);
}

NSGraphicsContext* NSGraphicsContext::graphicsContextWithGraphicsPort(void* cgContext, BOOL flipped)
{
  if (!cgContext) return nil;
  NSGraphicsContext* c = alloc();
  c->mPort = CGContextRetain(static_cast<CGContextRef>(cgContext));
  c->mFlipped = flipped;
  return static_cast<NSGraphicsContext*>(c->autorelease());
}

NSGraphicsContext* NSGraphicsContext::currentContext()
{
  return sCurrent;
}

void NSGraphicsContext::setCurrentContext(NSGraphicsContext* context)
{
  if (context) context->retain();
  NSGraphicsContext* old = sCurrent;
  sCurrent = context;
  if (old) old->release();
}
