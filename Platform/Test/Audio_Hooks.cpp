// The scripted position stands in for every channel's; the dummy card is an
// output opener of its own. Both go in through the seams BASS_Init and the
// position calls already have.
#include "Platform/Test/Audio_Hooks.h"

#include <atomic>
#include "Platform/Audio_Output.h"
#include "Platform/Position_Source.h"

namespace Ryx_Platform
{
    namespace
    {
        class Scripted_Positions : public Position_Source
        {
        public:
            std::atomic<std::int64_t> packed{-1};

            std::uint32_t Get_Position(std::uint32_t handle) override
            {
                std::int64_t p = packed.load();
                return p >= 0 ? static_cast<std::uint32_t>(p) : Get_Player_Positions().Get_Position(handle);
            }

            bool Is_Active(std::uint32_t handle) override
            {
                return packed.load() >= 0 || Get_Player_Positions().Is_Active(handle);
            }
        };

        Scripted_Positions s_script;

        std::unique_ptr<Audio_Output> Open_Card_Or_Dummy(int device, Audio_Mix* mix, void* user, std::string* error)
        {
            return Open_Sound_Card(device, mix, user, error, true);
        }
    }

    void Audio_Script_Position(std::int64_t packed)
    {
        s_script.packed.store(packed);
        Set_Position_Source(packed >= 0 ? &s_script : nullptr);
    }

    void Audio_Dummy_Is_A_Card(bool on) { Set_Output_Opener(on ? &Open_Card_Or_Dummy : nullptr); }
}
