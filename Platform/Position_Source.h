// Internal to the platform layer: what the position calls answer. By default
// the row each channel's player is heard at; a script may stand in for every
// channel (the tests put scenes at chosen rows that way). Called from the main
// thread and from sync procedures on the output's thread.
#pragma once
#include <cstdint>

namespace Ryx_Platform
{
    class Position_Source
    {
    public:
        // order | row << 16 heard now on this channel.
        virtual std::uint32_t Get_Position(std::uint32_t handle) = 0;
        // The channel plays and has not reached its end.
        virtual bool Is_Active(std::uint32_t handle) = 0;

    protected:
        ~Position_Source() = default;
    };

    // The players' own positions.
    Position_Source& Get_Player_Positions();
    // Null restores the players' own. The source must live as long as the
    // process (a static object).
    void Set_Position_Source(Position_Source* source);
}
