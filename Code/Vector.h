// A vector of three floats, as the tunnel's camera and rays store them. Every
// operation yields a vector: each component is computed in double and rounded
// to float, so a chain such as a + b + c rounds after each step, exactly as
// if every intermediate vector had been stored.
#pragma once
#include <cmath>
#include "Code/To_Float.h"

namespace Ryx_Vektu
{
    struct Vector
    {
        float x, y, z;
    };

    inline Vector Make_Vector(double x, double y, double z) { return Vector{To_Float(x), To_Float(y), To_Float(z)}; }

    inline Vector operator+(const Vector& a, const Vector& b)
    {
        return Make_Vector(double(a.x) + b.x, double(a.y) + b.y, double(a.z) + b.z);
    }

    inline Vector operator-(const Vector& a, const Vector& b)
    {
        return Make_Vector(double(a.x) - b.x, double(a.y) - b.y, double(a.z) - b.z);
    }

    inline Vector operator*(double k, const Vector& a) { return Make_Vector(k * a.x, k * a.y, k * a.z); }
    inline Vector operator*(const Vector& a, double k) { return k * a; }
    inline Vector operator/(const Vector& a, double k) { return Make_Vector(a.x / k, a.y / k, a.z / k); }

    inline Vector Cross(const Vector& a, const Vector& b)
    {
        return Make_Vector(double(a.y) * b.z - double(a.z) * b.y, double(a.z) * b.x - double(a.x) * b.z,
                           double(a.x) * b.y - double(a.y) * b.x);
    }

    // A number, not a vector: kept in double.
    inline double Length(const Vector& a)
    {
        return std::sqrt(double(a.x) * a.x + double(a.y) * a.y + double(a.z) * a.z);
    }
}
