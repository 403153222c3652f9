// Offline pulls: no device and no thread. Time advances only as the capture
// tool pulls the mix (Audio_Pull), so the frame heard is the next one to be
// pulled.
#include "Platform/Audio_Output.h"

#include "Platform/Audio_Player.h"

namespace Ryx_Platform
{
    namespace
    {
        class Offline_Output : public Audio_Output
        {
        public:
            void Pause(bool) override {}
            void Restart() override {}
            std::uint64_t Heard_Frame(Audio_Player& player) override { return player.Pulled_Frames(); }
            std::string Get_Name() const override { return std::string(); }
        };
    }

    std::unique_ptr<Audio_Output> Open_Offline_Output(int, Audio_Mix*, void*, std::string*)
    {
        return std::make_unique<Offline_Output>();
    }
}
