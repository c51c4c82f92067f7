// The per-record lock of the statistics engine. On Windows it is a critical
// section; elsewhere (native builds for sanitizers and fuzzers) a pthread mutex,
// so the interval arithmetic itself never needs <windows.h>.
#pragma once

#ifdef _WIN32
#include <windows.h>
typedef CRITICAL_SECTION StatsLock;
inline void stats_lock_init(StatsLock* l) { InitializeCriticalSection(l); }
inline void stats_lock_delete(StatsLock* l) { DeleteCriticalSection(l); }
inline void stats_lock_enter(StatsLock* l) { EnterCriticalSection(l); }
inline void stats_lock_leave(StatsLock* l) { LeaveCriticalSection(l); }
#else
#include <pthread.h>
typedef pthread_mutex_t StatsLock;
inline void stats_lock_init(StatsLock* l) { pthread_mutex_init(l, nullptr); }
inline void stats_lock_delete(StatsLock* l) { pthread_mutex_destroy(l); }
inline void stats_lock_enter(StatsLock* l) { pthread_mutex_lock(l); }
inline void stats_lock_leave(StatsLock* l) { pthread_mutex_unlock(l); }
#endif
