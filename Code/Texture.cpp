// Placeholder loaders: every texture is empty.
#include "Code/Texture.h"

namespace Ryx_Vektu
{
    namespace
    {
        class Empty_Texture : public Texture
        {
        public:
            int Get_Width() override { return 0; }
            int Get_Height() override { return 0; }
            void* Get_Pixels() override { return nullptr; }
            int Get_Bytes_Per_Pixel() override { return 4; }
        };
    }

    Ryx_Lib::Single<Texture> Load_TGA_Texture(const char*) { return Ryx_Lib::Single<Texture>(new Empty_Texture); }
    Ryx_Lib::Single<Texture> Load_JPG_Texture(const char*) { return Ryx_Lib::Single<Texture>(new Empty_Texture); }
}
