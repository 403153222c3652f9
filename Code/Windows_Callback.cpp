#include "Code/Windows_Callback.h"

using namespace Ryx_Platform;

void Windows_Callback::Execute()
{
    if (!PeekMessageA(&m_msg, nullptr, 0, 0, PM_NOREMOVE))
        return;
    if (GetMessageA(&m_msg, nullptr, 0, 0))
    {
        TranslateMessage(&m_msg);
        DispatchMessageA(&m_msg);
        return;
    }
    throw Windows_Msg(static_cast<std::int32_t>(m_msg.wParam));
}
