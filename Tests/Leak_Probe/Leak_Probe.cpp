// The sanitizer build's leak check, seen from a program of ours:
//   leak_probe display   starts the display as demo does (its own window,
//                        the renderer and the software-GL probe), shows a
//                        frame, closes it, then drops 128 bytes of ours;
//   leak_probe plugin N  loads a plug-in that keeps N bytes in a global, and
//                        drops the plug-in with dlclose, as SDL and Mesa
//                        drop theirs.
// The leak test runs it under the live tests' leak settings.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <dlfcn.h>

#include "Code/DX_Window.h"

namespace
{
    void* volatile s_sink = nullptr;

    // The leak check scans the stack conservatively: a stale copy of a
    // pointer there would hide the very allocation the probe must show.
    __attribute__((noinline)) void Scrub_Stack()
    {
        volatile unsigned char stack[64 * 1024];
        for (unsigned char& byte : const_cast<unsigned char(&)[64 * 1024]>(stack))
            byte = 0;
    }

    // Named in the expected leak report: a leak in our own code must still
    // be caught, whatever the sanitizer is told about the libraries'.
    __attribute__((noinline)) void Drop_128_Bytes_Of_Ours()
    {
        char* bytes = static_cast<char*>(std::malloc(128));
        std::memset(bytes, 1, 128);
        s_sink = bytes;
        s_sink = nullptr;
    }

    int Display_Then_Leak()
    {
        {
            Ryx_Lib::Single<Ryx_Vektu::Window> window = Ryx_Vektu::Create_DX_Window(nullptr, nullptr, 640, 480, 32);
            window->Clear();
            window->Present();
        }
        Drop_128_Bytes_Of_Ours();
        Scrub_Stack();
        return 0;
    }

    int Plugin(const char* folder, std::size_t bytes)
    {
        std::string path = std::string(folder) + "/libLeaky_Plugin.so";
        void* plugin = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!plugin)
        {
            std::fprintf(stderr, "leak_probe: %s\n", dlerror());
            return 2;
        }
        using Keep = void (*)(std::size_t);
        auto keep = reinterpret_cast<Keep>(dlsym(plugin, "Leaky_Plugin_Keep"));
        if (!keep)
            return 2;
        keep(bytes);
        dlclose(plugin);
        Scrub_Stack();
        return 0;
    }
}

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "display") == 0)
        return Display_Then_Leak();
    if (argc >= 3 && std::strcmp(argv[1], "plugin") == 0)
    {
        std::string folder = argv[0];
        folder = folder.substr(0, folder.find_last_of('/') == std::string::npos ? 0 : folder.find_last_of('/'));
        return Plugin(folder.empty() ? "." : folder.c_str(), std::strtoul(argv[2], nullptr, 10));
    }
    std::fprintf(stderr, "usage: leak_probe display | plugin BYTES\n");
    return 2;
}
