// The show rendered headless on the capture's virtual clock (frame n at
// n / fps seconds, the sound pulled to the same sample), as flash_check
// checks it: every frame the show presents, with its time and position.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace Ryx_Tools
{
    struct Shown_Frame
    {
        const std::uint32_t* pixels = nullptr;  // 0x00RRGGBB, rows of exactly width pixels
        int width = 0, height = 0;
        std::uint32_t milliseconds = 0;  // the show's clock
        int order = 0, row = 0;
        bool in_show = false;  // false: the loading picture, presented before the music starts
    };

    // Plays the show of the current folder (tekno.xm and its pictures) to
    // its end and hands every presented frame to visit. False, with the
    // reason, when the music does not play.
    bool Render_Show(int fps, const std::function<void(const Shown_Frame&)>& visit, std::string& error);
}
