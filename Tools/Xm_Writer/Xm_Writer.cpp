// Placeholder: the writer is not written yet.
#include "Tools/Xm_Writer/Xm_Writer.h"

namespace Ryx_Tools
{
    std::vector<std::uint8_t> Encode_Xm(const Xm_Module&) { return {}; }
    bool Save_Xm(const Xm_Module&, const std::string&) { return false; }
}
