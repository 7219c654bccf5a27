// The host's plain value types: vectors, rotators, quaternions, rigid-body state, colours.
#pragma once
#include <cmath>
#include <cstdint>

#include "../core/compiler_toggles.h"
#include "../plugin/bakkesmodsdk.h"

#define CONST_PI_F 3.1415926f
#define CONST_RadToUnrRot 10430.3783504704527f
#define CONST_UnrRotToRad 0.00009587379924285f
#define CONST_DegToUnrRot 182.0444f

// Declares the handle constructors every wrapper has: from a host address, copy, assign, destroy.
#define CONSTRUCTORS(name)                                                                         \
    name(std::uintptr_t mem);                                                                      \
    name(const name& other);                                                                       \
    name& operator=(name rhs);                                                                     \
    ~name();

// A getter and a setter of one field.
#define GETSETH(type, name)                                                                        \
    void Set##name(type name);                                                                     \
    type Get##name();

// Component-wise arithmetic of the vector types, written once: the compound assignments
// (members) and binary operators of T with a right operand b of type R over T's components;
// OF(c) is the operand's share of component c, b.c for a vector or b itself for a scalar.
#define WL_OF_VECTOR(c) b.c
#define WL_OF_SCALAR(c) b
#define WL_COMPOUND_2(T, R, OF, X, Y)                                                              \
    T operator+=(R b) { X += OF(X); Y += OF(Y); return *this; }                                    \
    T operator-=(R b) { X -= OF(X); Y -= OF(Y); return *this; }                                    \
    T operator*=(R b) { X *= OF(X); Y *= OF(Y); return *this; }                                    \
    T operator/=(R b) { X /= OF(X); Y /= OF(Y); return *this; }
#define WL_COMPOUND_3(T, R, OF, X, Y, Z)                                                           \
    T operator+=(R b) { X += OF(X); Y += OF(Y); Z += OF(Z); return *this; }                        \
    T operator-=(R b) { X -= OF(X); Y -= OF(Y); Z -= OF(Z); return *this; }                        \
    T operator*=(R b) { X *= OF(X); Y *= OF(Y); Z *= OF(Z); return *this; }                        \
    T operator/=(R b) { X /= OF(X); Y /= OF(Y); Z /= OF(Z); return *this; }
#define WL_BINARY_2(T, R, OF, X, Y)                                                                \
    inline T operator+(T a, R b) { return {a.X + OF(X), a.Y + OF(Y)}; }                            \
    inline T operator-(T a, R b) { return {a.X - OF(X), a.Y - OF(Y)}; }                            \
    inline T operator*(T a, R b) { return {a.X * OF(X), a.Y * OF(Y)}; }                            \
    inline T operator/(T a, R b) { return {a.X / OF(X), a.Y / OF(Y)}; }
#define WL_BINARY_3(T, R, OF, X, Y, Z)                                                             \
    inline T operator+(T a, R b) { return T(a.X + OF(X), a.Y + OF(Y), a.Z + OF(Z)); }              \
    inline T operator-(T a, R b) { return T(a.X - OF(X), a.Y - OF(Y), a.Z - OF(Z)); }              \
    inline T operator*(T a, R b) { return T(a.X * OF(X), a.Y * OF(Y), a.Z * OF(Z)); }              \
    inline T operator/(T a, R b) { return T(a.X / OF(X), a.Y / OF(Y), a.Z / OF(Z)); }

#pragma pack(push, 8)

struct Vector {
    float X, Y, Z;
    Vector(float x, float y, float z) : X(x), Y(y), Z(z) {}
    Vector(float def) : X(def), Y(def), Z(def) {}  // NOLINT: implicit as in the host
    Vector() : X(0), Y(0), Z(0) {}

    WL_COMPOUND_3(Vector, const Vector&, WL_OF_VECTOR, X, Y, Z)
    WL_COMPOUND_3(Vector, const float, WL_OF_SCALAR, X, Y, Z)

    float magnitude() const { return std::sqrt(X * X + Y * Y + Z * Z); }
    void normalize() {
        const float m = magnitude();
        X /= m; Y /= m; Z /= m;
    }
    Vector getNormalized() {
        Vector v = *this;
        v.normalize();
        return v;
    }
    Vector clone() const { return *this; }

    static float dot(Vector v1, Vector v2) { return v1.X * v2.X + v1.Y * v2.Y + v1.Z * v2.Z; }
    static Vector cross(Vector v1, Vector v2) {
        return Vector(v1.Y * v2.Z - v1.Z * v2.Y, v1.Z * v2.X - v1.X * v2.Z,
                      v1.X * v2.Y - v1.Y * v2.X);
    }
    static Vector lerp(Vector v1, Vector v2, float t) {
        return Vector(v1.X + (v2.X - v1.X) * t, v1.Y + (v2.Y - v1.Y) * t,
                      v1.Z + (v2.Z - v1.Z) * t);
    }
    static Vector slerp(Vector v1, Vector v2, float t) {
        float d = dot(v1, v2);
        if (d > 1.0f) d = 1.0f;
        if (d < -1.0f) d = -1.0f;
        const float theta = std::acos(d) * t;
        Vector rel(v2.X - v1.X * d, v2.Y - v1.Y * d, v2.Z - v1.Z * d);
        const float m = rel.magnitude();
        if (m > 0.0f) rel = Vector(rel.X / m, rel.Y / m, rel.Z / m);
        const float c = std::cos(theta), s = std::sin(theta);
        return Vector(v1.X * c + rel.X * s, v1.Y * c + rel.Y * s, v1.Z * c + rel.Z * s);
    }
};

WL_BINARY_3(Vector, Vector, WL_OF_VECTOR, X, Y, Z)
WL_BINARY_3(Vector, float, WL_OF_SCALAR, X, Y, Z)

struct Vector2 {
    int X, Y;
    Vector2 minus(const Vector2 other) const { return {X - other.X, Y - other.Y}; }
    WL_COMPOUND_2(Vector2, const Vector2&, WL_OF_VECTOR, X, Y)
    WL_COMPOUND_2(Vector2, const int, WL_OF_SCALAR, X, Y)
};

WL_BINARY_2(Vector2, Vector2, WL_OF_VECTOR, X, Y)
WL_BINARY_2(Vector2, int, WL_OF_SCALAR, X, Y)

struct Vector2F {
    float X, Y;
    Vector2F minus(const Vector2 other) const { return {X - other.X, Y - other.Y}; }
    Vector2F minus(const Vector2F other) const { return {X - other.X, Y - other.Y}; }
    WL_COMPOUND_2(Vector2F, const Vector2F&, WL_OF_VECTOR, X, Y)
    WL_COMPOUND_2(Vector2F, const float, WL_OF_SCALAR, X, Y)
};

WL_BINARY_2(Vector2F, Vector2F, WL_OF_VECTOR, X, Y)
WL_BINARY_2(Vector2F, Vector2, WL_OF_VECTOR, X, Y)
WL_BINARY_2(Vector2F, float, WL_OF_SCALAR, X, Y)

struct Rotator {
    int Pitch, Yaw, Roll;
    Rotator(int pitch, int yaw, int roll) : Pitch(pitch), Yaw(yaw), Roll(roll) {}
    Rotator(int def) : Pitch(def), Yaw(def), Roll(def) {}  // NOLINT: implicit as in the host
    Rotator() : Pitch(0), Yaw(0), Roll(0) {}
    WL_COMPOUND_3(Rotator, const Rotator&, WL_OF_VECTOR, Pitch, Yaw, Roll)
};

WL_BINARY_3(Rotator, Rotator, WL_OF_VECTOR, Pitch, Yaw, Roll)

#undef WL_OF_VECTOR
#undef WL_OF_SCALAR
#undef WL_COMPOUND_2
#undef WL_COMPOUND_3
#undef WL_BINARY_2
#undef WL_BINARY_3

// Stored X, Y, Z, W; W is the scalar part. Note the constructor takes W first.
struct Quat {
    float X, Y, Z, W;
    Quat(float w, float x, float y, float z) : X(x), Y(y), Z(z), W(w) {}
    Quat() : X(0), Y(0), Z(0), W(1) {}

    Quat operator*=(const Quat& b) {
        const Quat a = *this;
        W = a.W * b.W - a.X * b.X - a.Y * b.Y - a.Z * b.Z;
        X = a.W * b.X + a.X * b.W + a.Y * b.Z - a.Z * b.Y;
        Y = a.W * b.Y - a.X * b.Z + a.Y * b.W + a.Z * b.X;
        Z = a.W * b.Z + a.X * b.Y - a.Y * b.X + a.Z * b.W;
        return *this;
    }
    Quat conjugate() const { return Quat(W, -X, -Y, -Z); }
    // Divides the vector part only, as the host does.
    Quat normalize() {
        const float m = std::sqrt(X * X + Y * Y + Z * Z + W * W);
        X /= m; Y /= m; Z /= m;
        return *this;
    }
};

inline Quat operator*(Quat a, Quat b) { a *= b; return a; }

struct RBState {
    Quat Quaternion;
    Vector Location;
    Vector LinearVelocity;
    Vector AngularVelocity;
    float Time;
    unsigned long bSleeping : 1;
    unsigned long bNewData : 1;
};

struct StickyForceData {
    float Ground;
    float Wall;
};

struct LinearColor {
    float R, G, B, A;
    LinearColor() = default;
    LinearColor(float r, float g, float b, float a) : R(r), G(g), B(b), A(a) {}
    LinearColor operator*=(const float f) { R *= f; G *= f; B *= f; A *= f; return *this; }
    LinearColor operator/=(const float f) { R /= f; G /= f; B /= f; A /= f; return *this; }
    bool operator==(const LinearColor& o) const { return R == o.R && G == o.G && B == o.B && A == o.A; }
    bool operator!=(const LinearColor& o) const { return !(*this == o); }
};

inline LinearColor operator*(LinearColor c, float f) { c *= f; return c; }
inline LinearColor operator/(LinearColor c, float f) { c /= f; return c; }

#pragma pack(pop)

inline Quat RotatorToQuat(Rotator rot) {
    const float uRotToRad = CONST_PI_F / 32768.0f;
    const float sp = std::sin(rot.Pitch * uRotToRad * 0.5f), cp = std::cos(rot.Pitch * uRotToRad * 0.5f);
    const float sy = std::sin(rot.Yaw * uRotToRad * 0.5f), cy = std::cos(rot.Yaw * uRotToRad * 0.5f);
    const float sr = std::sin(rot.Roll * uRotToRad * 0.5f), cr = std::cos(rot.Roll * uRotToRad * 0.5f);
    Quat q;
    q.X = cr * sp * sy - sr * cp * cy;
    q.Y = -cr * sp * cy - sr * cp * sy;
    q.Z = cr * cp * sy - sr * sp * cy;
    q.W = cr * cp * cy + sr * sp * sy;
    return q;
}

inline Rotator QuatToRotator(Quat q) {
    const float singularity = q.Z * q.X - q.W * q.Y;
    const float yawY = 2.f * (q.W * q.Z + q.X * q.Y);
    const float yawX = 1.f - 2.f * (q.Y * q.Y + q.Z * q.Z);
    const float radToU = 32768.0f / CONST_PI_F;
    const float pitch = std::asin(std::fmax(-1.f, std::fmin(1.f, 2.f * singularity)));
    const float yaw = std::atan2(yawY, yawX);
    const float roll = std::atan2(-2.f * (q.W * q.X + q.Y * q.Z), 1.f - 2.f * (q.X * q.X + q.Y * q.Y));
    return Rotator(static_cast<int>(-pitch * radToU), static_cast<int>(yaw * radToU),
                   static_cast<int>(roll * radToU));
}

inline Vector RotateVectorWithQuat(Vector v, Quat q) {
    const Quat p(0.f, v.X, v.Y, v.Z);
    const Quat r = q * p * q.conjugate();
    return Vector(r.X, r.Y, r.Z);
}

inline Vector RotatorToVector(Rotator r) {
    const float uRotToRad = CONST_PI_F / 32768.0f;
    const float cp = std::cos(r.Pitch * uRotToRad), sp = std::sin(r.Pitch * uRotToRad);
    const float cy = std::cos(r.Yaw * uRotToRad), sy = std::sin(r.Yaw * uRotToRad);
    return Vector(cp * cy, cp * sy, sp);
}

inline Rotator VectorToRotator(Vector v) {
    const float radToU = 32768.0f / CONST_PI_F;
    const int yaw = static_cast<int>(std::atan2(v.Y, v.X) * radToU);
    const int pitch = static_cast<int>(std::atan2(v.Z, std::sqrt(v.X * v.X + v.Y * v.Y)) * radToU);
    return Rotator(pitch, yaw, 0);
}

inline Quat QuatSlerp(Quat a, Quat b, float t) {
    float d = a.X * b.X + a.Y * b.Y + a.Z * b.Z + a.W * b.W;
    if (d < 0.f) { b = Quat(-b.W, -b.X, -b.Y, -b.Z); d = -d; }
    if (d > 0.9995f) {
        Quat r(a.W + (b.W - a.W) * t, a.X + (b.X - a.X) * t, a.Y + (b.Y - a.Y) * t, a.Z + (b.Z - a.Z) * t);
        const float m = std::sqrt(r.X * r.X + r.Y * r.Y + r.Z * r.Z + r.W * r.W);
        return Quat(r.W / m, r.X / m, r.Y / m, r.Z / m);
    }
    const float th = std::acos(d), s = std::sin(th);
    const float wa = std::sin((1 - t) * th) / s, wb = std::sin(t * th) / s;
    return Quat(a.W * wa + b.W * wb, a.X * wa + b.X * wb, a.Y * wa + b.Y * wb, a.Z * wa + b.Z * wb);
}
