// ZENK_CHECK(condition): an invariant of the code, checked where it must
// hold. In the native build (ZENK_CHECKS, set for every native target) a
// broken invariant stops the program at once with its place and text, so
// the engines' tests, fuzz targets and randomized runs catch it where it
// happens; in the DLLs the check compiles to nothing.
#pragma once

#if defined(ZENK_CHECKS) && ZENK_CHECKS
#include <cstdio>
#include <cstdlib>
#define ZENK_CHECK(condition)                                                                             \
    do {                                                                                                  \
        if (!(condition)) {                                                                               \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition);      \
            std::abort();                                                                                 \
        }                                                                                                 \
    } while (0)
#else
#define ZENK_CHECK(condition) static_cast<void>(sizeof(!(condition)))
#endif
