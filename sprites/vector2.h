#pragma once

// A position in pixels: x grows to the right, y downwards.
class Vector2 {
  public:
    float x = 0.0f;
    float y = 0.0f;

    Vector2 &Copy(const Vector2 &o) {
        x = o.x;
        y = o.y;
        return *this;
    }
    Vector2 &Set(float nx, float ny) {
        x = nx;
        y = ny;
        return *this;
    }
    Vector2 &Add(const Vector2 &o) {
        x += o.x;
        y += o.y;
        return *this;
    }
    Vector2 &Subtract(const Vector2 &o) {
        x -= o.x;
        y -= o.y;
        return *this;
    }
    // Component-wise product, in place.
    Vector2 &Multiply(const Vector2 &o) {
        x *= o.x;
        y *= o.y;
        return *this;
    }
};
