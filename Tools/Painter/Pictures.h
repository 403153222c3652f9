// Every picture of the show, painted by the scene it belongs to. Each painter
// is a pure function of its fonts: the same build paints the same pixels.
#pragma once
#include "Tools/Painter/Canvas.h"
#include "Tools/Painter/Text.h"

#include <string>

namespace Ryx_Painter
{
    struct Fonts
    {
        Font bold;       // headlines
        Font condensed;  // long phrases
        Font mono;       // data and small print
    };

    // Tunnel walls, 256 x 256, tileable: width along the tube, height around it.
    Colour_Image Paint_Krazy_Wall();
    Colour_Image Paint_Plated_Wall();
    Colour_Image Paint_Red_Wall();
    // What the tunnel's closing band reveals, 640 x 368.
    Colour_Image Paint_Horizon(Fonts& fonts);

    // The warp's textures, 256 x 256, tileable, detailed at every scale.
    Colour_Image Paint_Marble();
    Colour_Image Paint_Blue_Crystal();
    Colour_Image Paint_Green_Veins();
    // The warp's glitch layer, 640 x 340 grey; index 0 to 3.
    Grey_Image Paint_Glitch(Fonts& fonts, int index);

    // The loading card, 640 x 360.
    Colour_Image Paint_Title_Card(Fonts& fonts);
    // The opening's words, 640 x 480 grey: group 'a', 'b' or 'c', number from 1.
    Grey_Image Paint_Words(Fonts& fonts, char group, int number);

    // The closing scene: one graphic per drum sound (0 kick, 1 snare, 2 shot
    // one, 3 shot two) and the four stutter graphics, 640 x 360 grey.
    Grey_Image Paint_Drum(int index);
    Grey_Image Paint_Stutter(int index);

    // The program's icon for desktop menus, size x size.
    Colour_Image Paint_Icon(int size);
}
