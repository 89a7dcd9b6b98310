#pragma once
// The process-wide recursive locks of the drawing-context layer: one for the context and object
// pools, one for the font-name cache, one around FreeType (whose library and faces are not
// thread-safe). Each is created on first use and lives until exit.

#include <mutex>

class GDI_Mutex
{
public:
  void Enter() { mMutex.lock(); }
  void Leave() { mMutex.unlock(); }

private:
  std::recursive_mutex mMutex;
};

class GDI_Lock
{
public:
  explicit GDI_Lock(GDI_Mutex &m) : mMutex(m) { mMutex.Enter(); }
  ~GDI_Lock() { mMutex.Leave(); }
  GDI_Lock(const GDI_Lock &) = delete;
  GDI_Lock &operator=(const GDI_Lock &) = delete;

private:
  GDI_Mutex &mMutex;
};

GDI_Mutex &GDI_PoolMutex();          // m_ctxpool_mutex
GDI_Mutex &GDI_FontNameCacheMutex(); // s_fontnamecache_mutex
GDI_Mutex &GDI_FreeTypeMutex();
