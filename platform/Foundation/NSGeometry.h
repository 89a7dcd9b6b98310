/*
 * NSGeometry.h — AppKit's point, size and rectangle, which are CoreGraphics' types (y grows
 * upwards), and the usual helpers.
 */
#ifndef BRINDLE_PLATFORM_NSGEOMETRY_H
#define BRINDLE_PLATFORM_NSGEOMETRY_H

#include <CoreGraphics/CGGeometry.h>
#include <Foundation/NSObjCRuntime.h>

typedef CGPoint NSPoint;
typedef CGSize NSSize;
typedef CGRect NSRect;

inline NSPoint NSMakePoint(CGFloat x, CGFloat y)
{
  return CGPointMake(x, y);
}
inline NSSize NSMakeSize(CGFloat w, CGFloat h)
{
  return CGSizeMake(w, h);
}
inline NSRect NSMakeRect(CGFloat x, CGFloat y, CGFloat w, CGFloat h)
{
  return CGRectMake(x, y, w, h);
}

inline CGFloat NSMinX(NSRect r)
{
  return r.origin.x;
}
inline CGFloat NSMinY(NSRect r)
{
  return r.origin.y;
}
inline CGFloat NSMaxX(NSRect r)
{
  return r.origin.x + r.size.width;
}
inline CGFloat NSMaxY(NSRect r)
{
  return r.origin.y + r.size.height;
}
inline CGFloat NSWidth(NSRect r)
{
  return r.size.width;
}
inline CGFloat NSHeight(NSRect r)
{
  return r.size.height;
}

/* Not-a-number sizes count as empty too. */
inline BOOL NSIsEmptyRect(NSRect r)
{
  return !(r.size.width > 0) || !(r.size.height > 0);
}

/* Left and bottom edges are inside, right and top edges outside (an unflipped view). */
inline BOOL NSPointInRect(NSPoint p, NSRect r)
{
  return p.x >= NSMinX(r) && p.x < NSMaxX(r) && p.y >= NSMinY(r) && p.y < NSMaxY(r);
}

/* The zero rectangle when the two do not overlap. */
NSRect NSIntersectionRect(NSRect a, NSRect b);
/* An empty rectangle does not contribute. */
NSRect NSUnionRect(NSRect a, NSRect b);
BOOL NSEqualRects(NSRect a, NSRect b);
BOOL NSContainsRect(NSRect outer, NSRect inner);

#endif
