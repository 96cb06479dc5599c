// Three floats with the few operations the fly camera moves with.
#pragma once

struct Vec3 {
  float x, y, z;

  Vec3& Set(float nx, float ny, float nz) {
    x = nx, y = ny, z = nz;
    return *this;
  }
  Vec3& Add(const Vec3& b) {
    x += b.x, y += b.y, z += b.z;
    return *this;
  }
  Vec3& Scale(float s) {
    x *= s, y *= s, z *= s;
    return *this;
  }
  // One reciprocal, three multiplies.
  Vec3& Divide(float s) { return Scale(1 / s); }
  // In double precision: the squared length is not rounded to a float first.
  double LengthSquared() const {
    return static_cast<double>(x) * x + static_cast<double>(y) * y + static_cast<double>(z) * z;
  }
  // out = this x b; every input is read before out is written, so out may
  // be this or b.
  Vec3& Cross(Vec3& out, const Vec3& b) const {
    const float cx = y * b.z - z * b.y;
    const float cy = z * b.x - x * b.z;
    const float cz = x * b.y - y * b.x;
    return out.Set(cx, cy, cz);
  }
};

inline Vec3& ScaledCopy(Vec3& dst, const Vec3& src, float s) {
  return dst.Set(s * src.x, s * src.y, s * src.z);
}

inline Vec3 ToVec3(const float (&v)[3]) { return {v[0], v[1], v[2]}; }
inline void StoreVec3(const Vec3& v, float (&out)[3]) { out[0] = v.x, out[1] = v.y, out[2] = v.z; }
