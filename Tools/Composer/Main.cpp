// composer: writes the show's module. Usage: composer <output.xm>
#include <cstdio>

#include "Tools/Composer/Score.h"

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: composer <output.xm>\n");
        return 2;
    }
    if (!Ryx_Tools::Save_Xm(Ryx_Tools::Compose(), argv[1]))
    {
        std::fprintf(stderr, "composer: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
