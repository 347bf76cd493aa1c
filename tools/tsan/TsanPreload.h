#pragma once
// What the files of the preloaded ThreadSanitizer helper share: the way to Qt's own definition
// of a function this library replaces, and the sanitizer's annotations, declared weak. The
// library is inherited by programs the sanitizer starts (its symbolizer, a test's shell), which
// carry no sanitizer runtime: there every annotation is skipped and the wrappers only pass the
// calls on.
#include <sanitizer/tsan_interface.h>

#include <dlfcn.h>
#include <cstdio>
#include <cstdlib>

extern "C" {
void __tsan_acquire(void* addr) __attribute__((weak));
void __tsan_release(void* addr) __attribute__((weak));
void __tsan_read_range(void* addr, unsigned long size) __attribute__((weak));
void __tsan_write_range(void* addr, unsigned long size) __attribute__((weak));
void AnnotateIgnoreReadsBegin(const char* file, int line) __attribute__((weak));
void AnnotateIgnoreReadsEnd(const char* file, int line) __attribute__((weak));
void __tsan_mutex_create(void* addr, unsigned flags) __attribute__((weak));
void __tsan_mutex_destroy(void* addr, unsigned flags) __attribute__((weak));
void __tsan_mutex_pre_lock(void* addr, unsigned flags) __attribute__((weak));
void __tsan_mutex_post_lock(void* addr, unsigned flags, int recursion) __attribute__((weak));
int __tsan_mutex_pre_unlock(void* addr, unsigned flags) __attribute__((weak));
void __tsan_mutex_post_unlock(void* addr, unsigned flags) __attribute__((weak));
}

namespace KvTsan {

// The next definition of a symbol after this library, i.e. Qt's own.
template <typename Fn>
Fn Real(const char* mangled)
{
    void* p = dlsym(RTLD_NEXT, mangled);
    if (!p) {
        std::fprintf(stderr, "kv_tsan_qt: %s not found\n", mangled);
        std::abort();
    }
    Fn fn;
    static_assert(sizeof(fn) == sizeof(p), "function and object pointers differ in size");
    __builtin_memcpy(&fn, &p, sizeof(p));
    return fn;
}

inline void Acquire(const void* gate)
{
    if (__tsan_acquire)
        __tsan_acquire(const_cast<void*>(gate));
}

inline void Release(const void* gate)
{
    if (__tsan_release)
        __tsan_release(const_cast<void*>(gate));
}

// A copy Qt makes of memory the caller hands in, said as the instrumented copy would have made
// it. Always inlined, so that a report names the Qt call the copy was made for.
__attribute__((always_inline)) inline void ReadsOurs(const void* data, long long size)
{
    if (__tsan_read_range && data && size > 0)
        __tsan_read_range(const_cast<void*>(data), (unsigned long)size);
}

__attribute__((always_inline)) inline void WritesOurs(void* data, long long size)
{
    if (__tsan_write_range && data && size > 0)
        __tsan_write_range(data, (unsigned long)size);
}

// A lock of Qt's as the checker's own mutexes are seen: ordering, the locks a report names as
// held, lock-order inversions. The checker also takes each lock, unlock and end of a mutex for
// an access to its first byte; Qt's own mutexes are made, handed to other threads and ended by
// Qt in ways the checker cannot see (GLib's loops, the end of the program), so those accesses
// are left out: the ordering and the lock records stay.
class CMutexNote
{
public:
    CMutexNote()
    {
        if (AnnotateIgnoreReadsBegin)
            AnnotateIgnoreReadsBegin(__FILE__, __LINE__);
    }
    ~CMutexNote()
    {
        if (AnnotateIgnoreReadsEnd)
            AnnotateIgnoreReadsEnd(__FILE__, __LINE__);
    }
    CMutexNote(const CMutexNote&) = delete;
    CMutexNote& operator=(const CMutexNote&) = delete;
};

inline void PreLock(const void* m, unsigned flags)
{
    const CMutexNote note;
    if (__tsan_mutex_pre_lock)
        __tsan_mutex_pre_lock(const_cast<void*>(m), flags);
}

inline void PostLock(const void* m, unsigned flags)
{
    const CMutexNote note;
    if (__tsan_mutex_post_lock)
        __tsan_mutex_post_lock(const_cast<void*>(m), flags, 0);
}

inline void PreUnlock(const void* m, unsigned flags)
{
    const CMutexNote note;
    if (__tsan_mutex_pre_unlock)
        __tsan_mutex_pre_unlock(const_cast<void*>(m), flags);
}

inline void PostUnlock(const void* m, unsigned flags)
{
    const CMutexNote note;
    if (__tsan_mutex_post_unlock)
        __tsan_mutex_post_unlock(const_cast<void*>(m), flags);
}

inline void Created(const void* m, unsigned flags)
{
    const CMutexNote note;
    if (__tsan_mutex_create)
        __tsan_mutex_create(const_cast<void*>(m), flags);
}

inline void Destroyed(const void* m)
{
    const CMutexNote note;
    if (__tsan_mutex_destroy)
        __tsan_mutex_destroy(const_cast<void*>(m), 0);
}

} // namespace KvTsan

// Member functions are called as free functions taking `this` first (Itanium ABI).
#define KV_REAL(var, type, mangled) static const auto var = KvTsan::Real<type>(mangled)
