// The show's 46 picture files with the sizes and pixel depths the scenes
// need: shared by the contact sheet and the checks.
#pragma once

namespace Ryx_Painter
{
    struct Picture_File
    {
        const char* path;  // relative to the data folder
        int width;
        int height;
        int bytes_per_pixel;  // after loading: 4 for JPEG, 1 for the grey TGA files
        bool tileable;
        bool scrambled;
    };

    inline constexpr Picture_File Picture_Files[] = {
        {"texture/cinemascope.jpg", 640, 360, 4, false, false},
        {"texture/teksture_krazy.jpg", 256, 256, 4, true, false},
        {"texture/teksture.jpg", 256, 256, 4, true, false},
        {"texture/trash_punanen.jpg", 256, 256, 4, true, true},
        {"texture/mafia_368.jpg", 640, 368, 4, false, false},
        {"texture/joomu.jpg", 256, 256, 4, true, false},
        {"texture/trash_sininen_1.jpg", 256, 256, 4, true, true},
        {"texture/trash_total_vihree.jpg", 256, 256, 4, true, true},
        {"tekstit/a1.tga", 640, 480, 1, false, false},
        {"tekstit/a2.tga", 640, 480, 1, false, false},
        {"tekstit/a3.tga", 640, 480, 1, false, false},
        {"tekstit/a4.tga", 640, 480, 1, false, false},
        {"tekstit/a5.tga", 640, 480, 1, false, false},
        {"tekstit/a6.tga", 640, 480, 1, false, false},
        {"tekstit/a7.tga", 640, 480, 1, false, false},
        {"tekstit/a8.tga", 640, 480, 1, false, false},
        {"tekstit/b1.tga", 640, 480, 1, false, false},
        {"tekstit/b2.tga", 640, 480, 1, false, false},
        {"tekstit/b3.tga", 640, 480, 1, false, false},
        {"tekstit/b4.tga", 640, 480, 1, false, false},
        {"tekstit/b5.tga", 640, 480, 1, false, false},
        {"tekstit/b6.tga", 640, 480, 1, false, false},
        {"tekstit/b7.tga", 640, 480, 1, false, false},
        {"tekstit/b8.tga", 640, 480, 1, false, false},
        {"tekstit/c1.tga", 640, 480, 1, false, false},
        {"tekstit/c2.tga", 640, 480, 1, false, false},
        {"tekstit/c3.tga", 640, 480, 1, false, false},
        {"tekstit/c4.tga", 640, 480, 1, false, false},
        {"tekstit/c5.tga", 640, 480, 1, false, false},
        {"tekstit/c6.tga", 640, 480, 1, false, false},
        {"tekstit/c7.tga", 640, 480, 1, false, false},
        {"tekstit/c8.tga", 640, 480, 1, false, false},
        {"tekstit/c9.tga", 640, 480, 1, false, false},
        {"tekstit/c10.tga", 640, 480, 1, false, false},
        {"texture/x1_basari.tga", 640, 360, 1, false, false},
        {"texture/x2_snare.tga", 640, 360, 1, false, false},
        {"texture/x3_vs1.tga", 640, 360, 1, false, false},
        {"texture/x1_vs2.tga", 640, 360, 1, false, false},
        {"texture/g1.tga", 640, 360, 1, false, false},
        {"texture/g2.tga", 640, 360, 1, false, false},
        {"texture/g3.tga", 640, 360, 1, false, false},
        {"texture/g4.tga", 640, 360, 1, false, false},
        {"texture/MO_1.tga", 640, 340, 1, false, false},
        {"texture/MO_2.tga", 640, 340, 1, false, false},
        {"texture/MO_3.tga", 640, 340, 1, false, false},
        {"texture/MO_4.tga", 640, 340, 1, false, false},
    };
    inline constexpr int Picture_File_Count = sizeof(Picture_Files) / sizeof(Picture_Files[0]);
}
