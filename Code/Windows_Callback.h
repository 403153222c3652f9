// The per-frame message pump and the one exception of the program, which
// carries a quit message's code out of the show loop to the entry point.
#pragma once
#include <cstdint>
#include "Lib/Callback.h"
#include "Platform/Messages.h"

class Windows_Msg
{
public:
    explicit Windows_Msg(std::int32_t code) : m_code(code) {}
    virtual ~Windows_Msg() = default;

    // The quit message's wParam; as a process exit status only its low 8
    // bits survive.
    std::int32_t m_code;
};

class Windows_Callback : public Ryx_Lib::Callback
{
public:
    // Takes at most one message a frame; throws Windows_Msg on WM_QUIT.
    void Execute() override;

private:
    Ryx_Platform::MSG m_msg;
};
