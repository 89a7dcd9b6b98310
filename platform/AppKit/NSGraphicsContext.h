/*
 * NSGraphicsContext.h — AppKit's drawing destination, a wrapper around a CoreGraphics context. While
 * a window displays, its backing store's context is the current one, so a view's drawRect draws
 * through currentContext()->graphicsPort().
 */
#ifndef BRINDLE_PLATFORM_NSGRAPHICSCONTEXT_H
#define BRINDLE_PLATFORM_NSGRAPHICSCONTEXT_H

#include <CoreGraphics/CGContext.h>
#include <Foundation/NSObject.h>

class NSGraphicsContext : public NSObject
{
public:
  ~NSGraphicsContext() override;
  /* Autoreleased; retains the CG context. flipped only records how the caller sees the port: it
   * does not change the port's transformation. nil for a NULL port. */
  static NSGraphicsContext* graphicsContextWithGraphicsPort(void* cgContext, BOOL flipped);
  /* The current context (nil outside drawing). */
  static NSGraphicsContext* currentContext();
  /* Retains the new context, releases the old one. */
  static void setCurrentContext(NSGraphicsContext* context);
  const char* className() const override { return "NSGraphicsContext"; }

  /* The CGContextRef. */
  void* graphicsPort() const { return mPort; }
  BOOL isFlipped() const { return mFlipped; }
  void saveGraphicsState() { CGContextSaveGState(mPort); }
  void restoreGraphicsState() { CGContextRestoreGState(mPort); }

private:
  NS_DECLARE_ALLOC(NSGraphicsContext)
  CGContextRef mPort = nullptr;
  BOOL mFlipped = NO;
};

#endif
