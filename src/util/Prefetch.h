#pragma once

// Asks the processor for the memory at `p` ahead of its use, where the compiler can; a walk
// that jumps about memory (list order over book order) would wait for each read otherwise.
inline void Prefetch(const void *p)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}
