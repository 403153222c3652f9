// Linked into every program of the address-sanitizer build, and nowhere else:
// dlclose keeps the module loaded.
//
// System libraries that are loaded and dropped at run time (the GL driver
// behind SDL's renderer probe, D-Bus, input and audio plug-ins) may still hold
// memory in their globals when they are dropped. Once the module is unmapped,
// LeakSanitizer finds that memory unreferenced and reports it from an
// "<unknown module>", which no suppression can name. Kept loaded, the module's
// globals stay roots, so what it holds is not a leak, whatever its size or
// the library's version. Our own code is never loaded this way, so a leak of
// ours is still reported, with its frames named.
//
// A definition in the program comes before the C library's, and before the
// sanitizer's interceptor, for every library's call.
extern "C" int dlclose(void*) { return 0; }
