// The show's typefaces, found through fontconfig. A face is taken only when
// fontconfig's best match is exactly that face (by its PostScript name): a
// substitute would change the pictures, which must be the same bytes on every
// machine that paints them.
#pragma once
#include <string>

namespace Ryx_Painter
{
    struct Face
    {
        const char* pattern;          // fontconfig's name syntax
        const char* postscript_name;  // the one face accepted
    };

    inline constexpr Face Face_Bold{"DejaVu Sans:bold", "DejaVuSans-Bold"};
    inline constexpr Face Face_Condensed{"DejaVu Sans Condensed:bold", "DejaVuSansCondensed-Bold"};
    inline constexpr Face Face_Mono_Bold{"DejaVu Sans Mono:bold", "DejaVuSansMono-Bold"};
    inline constexpr Face Face_Mono{"DejaVu Sans Mono", "DejaVuSansMono"};

    // The face's file; empty when fontconfig knows no such face.
    std::string Font_File(const Face& face);

    // One line for a person: which face is missing and where Debian has it.
    std::string Missing_Font_Message(const Face& face);
}
