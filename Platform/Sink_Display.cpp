// Offline presentation: every flipped frame goes to the frame sink, unpaced.
// No window, no video: the capture tool renders headless.
#include <atomic>
#include "Platform/Display_Backend.h"

namespace Ryx_Platform
{
    namespace
    {
        std::atomic<Frame_Sink> s_sink{nullptr};
        std::atomic<void*> s_sink_user{nullptr};

        class Sink_Display : public Display_Backend
        {
        public:
            // Offline frames are always the 32-bit frame buffer's pixels.
            HRESULT Set_Mode(int width, int height, int bits) override
            {
                if (bits != 32)
                    return DDERR_UNSUPPORTEDMODE;
                m_width = width;
                m_height = height;
                return DD_OK;
            }

            // The front's rows are exactly a width apart, as the sink wants.
            HRESULT Present(const void* pixels, std::int32_t) override
            {
                if (Frame_Sink sink = s_sink.load())
                    sink(static_cast<const std::uint32_t*>(pixels), m_width, m_height, s_sink_user.load());
                return DD_OK;
            }

        private:
            int m_width = 0;
            int m_height = 0;
        };
    }

    std::unique_ptr<Display_Backend> Create_Sink_Display(void*) { return std::make_unique<Sink_Display>(); }

    void Set_Frame_Sink(Frame_Sink sink, void* user)
    {
        s_sink_user.store(user);
        s_sink.store(sink);
        Set_Display_Backend(sink ? &Create_Sink_Display : nullptr);
    }

    bool Has_Frame_Sink() { return s_sink.load() != nullptr; }
}
