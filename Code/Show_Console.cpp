#include "Code/Show_Console.h"

#include <csignal>
#include <filesystem>
#include <system_error>
#include "Flash_Warning.h"

std::string Start_Line(bool nosound, bool calm, const std::string& sound_device)
{
    std::error_code error;
    std::string folder = std::filesystem::current_path(error).string();
    std::string sound = nosound ? "silently (-n)"
        : sound_device.empty()  ? "silently (no sound device)"
                                : "with sound through " + sound_device;
    // Whoever did not ask for calm learns here, before the first flash, that
    // it exists.
    return "demo: playing the show from " + folder + ", " + sound +
        (calm ? ", calm (--calm: its flashes softened); Escape ends it" : "; Escape ends it. " ORVI_FLASH_WARNING);
}

std::string End_Line(const Show_Outcome& outcome)
{
    using Ryx_Vektu::Show_End;
    // As the shell sees it: an exit status keeps the low 8 bits.
    const std::string status = "; exit status " + std::to_string(outcome.code & 0xFF);
    if (outcome.quit)
    {
        if (outcome.window_closed)
            return "demo: the window was closed" + status;
        if (outcome.signal == SIGINT)
            return "demo: Ctrl+C (SIGINT) ended the show" + status;
        if (outcome.signal == SIGTERM)
            return "demo: SIGTERM ended the show" + status;
        return "demo: a quit message ended the show" + status;
    }
    switch (outcome.end)
    {
    case Show_End::Music_End: return "demo: the show has ended with its music" + status;
    case Show_End::Escape: return "demo: Escape ended the show" + status;
    case Show_End::Music_Failed:
    {
        std::error_code error;
        std::string folder = std::filesystem::current_path(error).string();
        return "demo: no show without its music: tekno.xm in " + folder +
            " is missing or not a module (see above); run demo from the data folder that the build makes "
            "(build/data), or make it with `bash Tools/play.sh`" +
            status;
    }
    case Show_End::Not_Ended: break;
    }
    return "demo: the show has ended" + status;
}
