#pragma once
// The process-wide recursive locks of the drawing-context layer: one for the context and object
// pools, one for the font-name cache, one around fontconfig and FreeType (whose library and faces
// are not thread-safe). Each is created on first use and lives until exit.

#include "containers/Core_Mutex.h"

typedef Core_MutexLock GDI_Lock;

Core_Mutex& GDI_PoolMutex();          // m_ctxpool_mutex
Core_Mutex& GDI_FontNameCacheMutex(); // s_fontnamecache_mutex
Core_Mutex& GDI_FreeTypeMutex();
