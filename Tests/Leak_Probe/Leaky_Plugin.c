/* Stands for a system library loaded and dropped at run time (a GL driver,
   an input or audio plug-in): built without the sanitizer, as those are, it
   keeps an allocation in a global of its own, never freed, as such libraries
   do. Loaded by leak_probe. */
#include <stdlib.h>
#include <string.h>

static void* s_kept;

__attribute__((visibility("default"))) void Leaky_Plugin_Keep(size_t bytes)
{
    s_kept = malloc(bytes);
    if (s_kept)
        memset(s_kept, 0x5A, bytes);
}
