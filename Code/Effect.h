// One scene of the show: the engine calls Update, then Render, once a frame
// while the scene is the active one.
#pragma once

namespace Ryx_Vektu
{
    class Effect
    {
    public:
        virtual void Update() = 0;
        virtual void Render() = 0;
        virtual ~Effect() = default;
    };
}
