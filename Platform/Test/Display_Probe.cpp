// The probe is one more display backend, installed where Display_Create
// picks its backend.
#include "Platform/Test/Display_Probe.h"

#include <algorithm>
#include "Platform/Display_Backend.h"

namespace Ryx_Platform
{
    namespace
    {
        Display_Probe* s_probe = nullptr;

        class Probe_Display : public Display_Backend
        {
        public:
            explicit Probe_Display(Display_Probe& probe) : m_probe(probe) {}

            HRESULT Set_Mode(int width, int height, int bits) override
            {
                const std::vector<int>& refused = m_probe.refused_bits;
                if (std::find(refused.begin(), refused.end(), bits) != refused.end())
                    return DDERR_UNSUPPORTEDMODE;
                m_probe.width = width;
                m_probe.height = height;
                m_probe.bits = bits;
                return DD_OK;
            }

            HRESULT Present(const void* pixels, std::int32_t pitch) override
            {
                const auto* bytes = static_cast<const std::uint8_t*>(pixels);
                m_probe.pitch = pitch;
                m_probe.frame.assign(bytes, bytes + std::size_t(pitch) * m_probe.height);
                ++m_probe.presents;
                return DD_OK;
            }

        private:
            Display_Probe& m_probe;
        };

        std::unique_ptr<Display_Backend> Create_Probe_Display(void*)
        {
            return std::make_unique<Probe_Display>(*s_probe);
        }
    }

    void Use_Display_Probe(Display_Probe* probe)
    {
        s_probe = probe;
        if (probe)
            Set_Display_Backend(&Create_Probe_Display);
        else
            Set_Display_Backend(Has_Frame_Sink() ? &Create_Sink_Display : nullptr);
    }
}
