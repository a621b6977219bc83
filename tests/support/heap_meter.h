// The most bytes the heap held at once while a piece of code ran. Every
// allocation of the process counts, those the parsers make with malloc
// themselves included: the sanitizer allocator reports each one to hooks
// installed here. Only sanitized builds (the tests' usual tree) have the
// hooks; elsewhere a test that needs them is skipped.
#pragma once

#include <stddef.h>

extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*on_malloc)(const volatile void *, size_t),
                                              void (*on_free)(const volatile void *)) __attribute__((weak));
size_t __sanitizer_get_allocated_size(const volatile void *block) __attribute__((weak));
}

class HeapMeter {
  public:
    // True when the hooks are in place (installed once per process: they
    // cannot be taken out again, so they count only while a meter runs).
    static bool Available() {
        static const bool installed = __sanitizer_install_malloc_and_free_hooks && __sanitizer_get_allocated_size &&
                                      __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
        return installed;
    }
    // Counts from now; blocks allocated earlier and freed meanwhile lower
    // the count below its start, which the peak never goes under.
    static void Start() {
        live_ = 0;
        peak_ = 0;
        running_ = true;
    }
    // The peak since Start, in bytes.
    static size_t Stop() {
        running_ = false;
        return peak_ > 0 ? static_cast<size_t>(peak_) : 0;
    }

  private:
    static void OnMalloc(const volatile void *, size_t size) {
        if (!running_) return;
        live_ += static_cast<long long>(size);
        if (live_ > peak_) peak_ = live_;
    }
    static void OnFree(const volatile void *block) {
        if (running_) live_ -= static_cast<long long>(__sanitizer_get_allocated_size(block));
    }
    static inline bool running_ = false;
    static inline long long live_ = 0;
    static inline long long peak_ = 0;
};
