// Placeholder roster: four scenes that draw nothing.
#include "Code/Roster.h"

namespace
{
    class Blank_Scene : public Ryx_Vektu::Effect
    {
    public:
        void Update() override {}
        void Render() override {}
    };
}

void Build_Roster(Ryx_Vektu::Window*, Ryx_Lib::Single<Ryx_Vektu::Effect> (&scenes)[4])
{
    for (Ryx_Lib::Single<Ryx_Vektu::Effect>& scene : scenes)
        scene = Ryx_Lib::Single<Ryx_Vektu::Effect>(new Blank_Scene);
}
