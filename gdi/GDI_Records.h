#pragma once
// The context and object records behind HDC__ and HGDIOBJ__, shared by the files of this layer.
// Records are plain data: a new one (fresh or recycled from its pool) is all zeros.

#include "gdi/gdi.h"

#include <cstdint>

struct GDI_Surface;
struct GDI_Font;

// A colour made for drawing: components 0..255 and an opacity 0..1. mValid is 0 for "no colour".
struct GDI_Color
{
  unsigned char mValid, mRed, mGreen, mBlue;
  float mAlpha;
};

inline GDI_Color GDI_MakeColor(int contextColor, float alpha)
{
  GDI_Color c;
  c.mValid = 1;
  c.mRed = (unsigned char)((contextColor >> 16) & 0xFF);
  c.mGreen = (unsigned char)((contextColor >> 8) & 0xFF);
  c.mBlue = (unsigned char)(contextColor & 0xFF);
  // Out-of-range (or NaN) opacities are pinned rather than trusted.
  c.mAlpha = alpha >= 0.0f ? (alpha <= 1.0f ? alpha : 1.0f) : 0.0f;
  return c;
}

struct HDC__
{
  GDI_Surface* mSurface; // drawn into; owned when mOwnedBuffer is set
  void* mOwnedBuffer;    // memory contexts: the raw pixel allocation
  HGDIOBJ__* mCurPen;
  HGDIOBJ__* mCurBrush;
  HGDIOBJ__* mCurFont;
  int mTextColor;
  int mBkColor;
  int mBkMode;
  float mCurX, mCurY;
  int mInPool;
  HDC__* mPoolNext;
  GDI_Color mTextColorObj;
  void* mFocusedView; // GetDC: the view whose focus this record holds (released by ReleaseDC)
};

struct HGDIOBJ__
{
  int mType;          // GDI_OBJ_PEN .. GDI_OBJ_IMAGE
  int mExtraRefs;     // GDI_CloneGDIObject count
  GDI_Color mColor;   // pens and brushes
  int mWidth;         // pens: line width (0 = 1); -1 marks the null pen/brush; images: 1 = owns mImage
  GDI_Image* mImage;  // images
  float mOrientation; // fonts: degrees
  int mInPool;
  HGDIOBJ__* mPoolNext;
  GDI_Font* mFont; // fonts
  int mQuality;    // fonts: 0, NONANTIALIASED_QUALITY or ANTIALIASED_QUALITY
};

// A context that can be used: not null, not a small number, not sitting in the pool.
inline bool GDI_IsLiveContext(const HDC__* ctx)
{
  return (uintptr_t)ctx >= 5 && !ctx->mInPool;
}

inline bool GDI_IsLiveObject(const HGDIOBJ__* obj)
{
  return (uintptr_t)obj >= 5 && !obj->mInPool;
}

// The context's surface when it has pixels to draw into, else null.
GDI_Surface* GDI_DrawableSurface(HDC__* ctx);

// Return records to their pools (or free them when the pool is full). The caller has released
// everything the record refers to.
void GDI_RecycleContext(HDC__* ctx);
void GDI_RecycleObject(HGDIOBJ__* obj);

// Pool sizes, for tests.
int GDI_ContextPoolSize();
int GDI_ObjectPoolSize();
