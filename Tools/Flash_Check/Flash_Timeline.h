// The timeline of a picture's flashes: for every second of the show the most
// flashes within a second on the whole screen, in the worst window and in
// red, the limit, the failing seconds and the scenes, as a PNG.
#pragma once
#include <string>
#include <vector>

#include "Tools/Flash_Check/Flash_Series.h"

namespace Ryx_Tools
{
    struct Timeline_Scene
    {
        double seconds = 0;  // where it starts
        std::string name;
    };

    // False, with the reason, when the file cannot be written.
    bool Write_Timeline(const std::string& path, const std::string& title, const std::vector<Flash_Second>& seconds,
                        const std::vector<Timeline_Scene>& scenes, std::string& error);
}
