// Rectangle arithmetic.
#include <Foundation/NSGeometry.h>

#include <algorithm>

NSRect NSIntersectionRect(NSRect a, NSRect b)
{
  if (NSIsEmptyRect(a) || NSIsEmptyRect(b)) return NSMakeRect(0, 0, 0, 0);
  const CGFloat x0 = std::max(NSMinX(a), NSMinX(b)), x1 = std::min(NSMaxX(a), NSMaxX(b));
  const CGFloat y0 = std::max(NSMinY(a), NSMinY(b)), y1 = std::min(NSMaxY(a), NSMaxY(b));
  if (!(x1 > x0) || !(y1 > y0)) return NSMakeRect(0, 0, 0, 0);
  return NSMakeRect(x0, y0, x1 - x0, y1 - y0);
}

NSRect NSUnionRect(NSRect a, NSRect b)
{
  if (NSIsEmptyRect(a)) return NSIsEmptyRect(b) ? NSMakeRect(0, 0, 0, 0) : b;
  if (NSIsEmptyRect(b)) return a;
  const CGFloat x0 = std::min(NSMinX(a), NSMinX(b)), x1 = std::max(NSMaxX(a), NSMaxX(b));
  const CGFloat y0 = std::min(NSMinY(a), NSMinY(b)), y1 = std::max(NSMaxY(a), NSMaxY(b));
  return NSMakeRect(x0, y0, x1 - x0, y1 - y0);
}

BOOL NSEqualRects(NSRect a, NSRect b)
{
  return a.origin.x == b.origin.x && a.origin.y == b.origin.y && a.size.width == b.size.width &&
         a.size.height == b.size.height;
}

BOOL NSContainsRect(NSRect outer, NSRect inner)
{
  return !NSIsEmptyRect(inner) && NSMinX(inner) >= NSMinX(outer) && NSMaxX(inner) <= NSMaxX(outer) &&
         NSMinY(inner) >= NSMinY(outer) && NSMaxY(inner) <= NSMaxY(outer);
}
