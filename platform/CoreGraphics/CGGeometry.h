/*
 * CGGeometry.h — points, sizes and rectangles in CoreGraphics' user space (y grows upwards). The
 * layouts are Apple's, so NSPoint/NSSize/NSRect (Foundation/NSGeometry.h) are the same types.
 */
#ifndef BRINDLE_PLATFORM_CGGEOMETRY_H
#define BRINDLE_PLATFORM_CGGEOMETRY_H

typedef double CGFloat;

typedef struct CGPoint
{
  CGFloat x;
  CGFloat y;
} CGPoint;

typedef struct CGSize
{
  CGFloat width;
  CGFloat height;
} CGSize;

typedef struct CGRect
{
  CGPoint origin;
  CGSize size;
} CGRect;

static inline CGPoint CGPointMake(CGFloat x, CGFloat y)
{
  CGPoint p;
  p.x = x;
  p.y = y;
  return p;
}

static inline CGSize CGSizeMake(CGFloat width, CGFloat height)
{
  CGSize s;
  s.width = width;
  s.height = height;
  return s;
}

static inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height)
{
  CGRect r;
  r.origin.x = x;
  r.origin.y = y;
  r.size.width = width;
  r.size.height = height;
  return r;
}

#endif
