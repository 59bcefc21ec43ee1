// The host's transform math: row-vector matrices and conjugate quaternions (see
// sdk/modra_types.h for the conventions). Products and conversions run in double precision and
// round to float once at the end.

#include <algorithm>
#include <array>
#include <cmath>

#include "sdk/modra_types.h"

namespace modra {
namespace {

using Rows = std::array<std::array<double, 3>, 3>;

// Below this, cos(middle angle) counts as zero in QuatToEuler (2^-19, as the library's Euler
// extraction uses).
constexpr double kGimbalTolerance = 1.9073486328125e-06;

Rows RowsOf(const Matrix3& m) {
  Rows r{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      r[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] = m(i, j);
  return r;
}

Matrix3 MatrixOf(const Rows& r) {
  Matrix3 m;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      m(i, j) = static_cast<float>(r[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)]);
  return m;
}

Rows RowsOfQuat(double x, double y, double z, double w) {
  const double n = std::sqrt(x * x + y * y + z * z + w * w);
  if (!(n > 0.0) || !std::isfinite(n)) return Rows{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  const double inverse = 1.0 / n;
  x *= inverse;
  y *= inverse;
  z *= inverse;
  w *= inverse;
  return Rows{{{1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)},
               {2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)},
               {2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)}}};
}

// The host quaternion of an orthonormal rotation (the inverse of RowsOfQuat), w >= 0.
Quat QuatOfRows(const Rows& m) {
  double x, y, z, w;
  const double tr = m[0][0] + m[1][1] + m[2][2];
  if (tr > 0.0) {
    const double s = std::sqrt(tr + 1.0) * 2.0;
    const double inverse = 1.0 / s;
    w = 0.25 * s;
    x = (m[2][1] - m[1][2]) * inverse;
    y = (m[0][2] - m[2][0]) * inverse;
    z = (m[1][0] - m[0][1]) * inverse;
  } else if (m[0][0] > m[1][1] && m[0][0] > m[2][2]) {
    const double s = std::sqrt(1.0 + m[0][0] - m[1][1] - m[2][2]) * 2.0;
    w = (m[2][1] - m[1][2]) / s;
    x = 0.25 * s;
    y = (m[0][1] + m[1][0]) / s;
    z = (m[0][2] + m[2][0]) / s;
  } else if (m[1][1] > m[2][2]) {
    const double s = std::sqrt(1.0 + m[1][1] - m[0][0] - m[2][2]) * 2.0;
    w = (m[0][2] - m[2][0]) / s;
    x = (m[0][1] + m[1][0]) / s;
    y = 0.25 * s;
    z = (m[1][2] + m[2][1]) / s;
  } else {
    const double s = std::sqrt(1.0 + m[2][2] - m[0][0] - m[1][1]) * 2.0;
    w = (m[1][0] - m[0][1]) / s;
    x = (m[0][2] + m[2][0]) / s;
    y = (m[1][2] + m[2][1]) / s;
    z = 0.25 * s;
  }
  if (w < 0.0) {
    x = -x;
    y = -y;
    z = -z;
    w = -w;
  }
  return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z),
          static_cast<float>(w)};
}

// R_X(a)·R_Y(b)·R_Z(c) in row vectors: the library's code-0 matrix of the angles.
Rows RowsOfEuler(double a, double b, double c) {
  const double ci = std::cos(a), cj = std::cos(b), ch = std::cos(c);
  const double si = std::sin(a), sj = std::sin(b), sh = std::sin(c);
  const double cc = ci * ch, cs = ci * sh, sc = si * ch, ss = si * sh;
  Rows m{};
  m[0][0] = cj * ch;
  m[1][0] = sj * sc - cs;
  m[2][0] = sj * cc + ss;
  m[0][1] = cj * sh;
  m[1][1] = sj * ss + cc;
  m[2][1] = sj * cs - sc;
  m[0][2] = -sj;
  m[1][2] = cj * si;
  m[2][2] = cj * ci;
  return m;
}

double Dot(const std::array<double, 3>& a, const std::array<double, 3>& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

std::array<double, 3> Cross(const std::array<double, 3>& a, const std::array<double, 3>& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

}  // namespace

Matrix3 operator*(const Matrix3& a, const Matrix3& b) {
  // Each element converted once; every sum still starts from 0 (or b's translation) and adds
  // the three products in order.
  double x[4][3];
  double y[4][3];
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 3; ++c) {
      x[r][c] = static_cast<double>(a(r, c));
      y[r][c] = static_cast<double>(b(r, c));
    }
  }
  Matrix3 out;
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 3; ++c) {
      double v = r == 3 ? y[3][c] : 0.0;
      v += x[r][0] * y[0][c];
      v += x[r][1] * y[1][c];
      v += x[r][2] * y[2][c];
      out(r, c) = static_cast<float>(v);
    }
  }
  return out;
}

Point3 operator*(const Point3& p, const Matrix3& m) {
  Point3 out;
  for (int c = 0; c < 3; ++c) {
    const double v = static_cast<double>(p.x) * m(0, c) + static_cast<double>(p.y) * m(1, c) +
                     static_cast<double>(p.z) * m(2, c) + static_cast<double>(m(3, c));
    out[c] = static_cast<float>(v);
  }
  return out;
}

Point3 VectorTransform(const Matrix3& m, const Point3& v) {
  Point3 out;
  for (int c = 0; c < 3; ++c) {
    const double value = static_cast<double>(v.x) * m(0, c) + static_cast<double>(v.y) * m(1, c) +
                         static_cast<double>(v.z) * m(2, c);
    out[c] = static_cast<float>(value);
  }
  return out;
}

Matrix3 Inverse(const Matrix3& m) {
  const Rows a = RowsOf(m);
  const double det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                     a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                     a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
  const double f = 1.0 / det;
  if (det == 0.0 || !std::isfinite(det) || !std::isfinite(f)) return Matrix3::Identity();
  Rows inv{};
  inv[0][0] = (a[1][1] * a[2][2] - a[1][2] * a[2][1]) * f;
  inv[0][1] = (a[0][2] * a[2][1] - a[0][1] * a[2][2]) * f;
  inv[0][2] = (a[0][1] * a[1][2] - a[0][2] * a[1][1]) * f;
  inv[1][0] = (a[1][2] * a[2][0] - a[1][0] * a[2][2]) * f;
  inv[1][1] = (a[0][0] * a[2][2] - a[0][2] * a[2][0]) * f;
  inv[1][2] = (a[0][2] * a[1][0] - a[0][0] * a[1][2]) * f;
  inv[2][0] = (a[1][0] * a[2][1] - a[1][1] * a[2][0]) * f;
  inv[2][1] = (a[0][1] * a[2][0] - a[0][0] * a[2][1]) * f;
  inv[2][2] = (a[0][0] * a[1][1] - a[0][1] * a[1][0]) * f;
  Matrix3 out = MatrixOf(inv);
  // p = (p' − t)·A⁻¹, so the translation row is −t·A⁻¹.
  const Point3& t = m.Translation();
  for (int c = 0; c < 3; ++c) {
    double v = 0.0;
    for (int k = 0; k < 3; ++k)
      v -=
          static_cast<double>(t[k]) * inv[static_cast<std::size_t>(k)][static_cast<std::size_t>(c)];
    out(3, c) = static_cast<float>(v);
  }
  return out;
}

Matrix3 TranslationMatrix(const Point3& t) {
  Matrix3 m;
  m.SetTranslation(t);
  return m;
}

Matrix3 ScaleMatrix(const Point3& s) {
  Matrix3 m;
  m(0, 0) = s.x;
  m(1, 1) = s.y;
  m(2, 2) = s.z;
  return m;
}

Matrix3 RotationMatrix(const Quat& q) { return MatrixOf(RowsOfQuat(q.x, q.y, q.z, q.w)); }

Quat MatrixToQuat(const Matrix3& m) { return QuatOfRows(RowsOf(m)); }

void DecomposeMatrix(const Matrix3& m, Point3& translation, Quat& rotation, Point3& scale) {
  translation = m.Translation();
  const Rows r = RowsOf(m);
  std::array<double, 3> len{};
  for (std::size_t i = 0; i < 3; ++i) len[i] = std::sqrt(Dot(r[i], r[i]));
  const double det = Dot(r[0], Cross(r[1], r[2]));
  const double sign = det < 0.0 ? -1.0 : 1.0;
  // Orthonormalise the rows in order (X kept, Y made perpendicular to it, Z their cross
  // product), so a sheared matrix still gives a proper rotation.
  const Rows identity{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  // v * factor / length in `out`; false (out unchanged) when v has no usable direction.
  auto scaled = [](const std::array<double, 3>& v, double length, double factor,
                   std::array<double, 3>& out) {
    if (!(length > 0.0 && std::isfinite(length))) return false;
    const double by = factor / length;
    for (std::size_t j = 0; j < 3; ++j) out[j] = std::isfinite(by) ? v[j] * by : v[j] / length;
    return true;
  };
  Rows u = identity;
  scaled(r[0], len[0], sign, u[0]);
  scaled(r[1], len[1], sign, u[1]);
  const double d = Dot(u[1], u[0]);
  for (std::size_t j = 0; j < 3; ++j) u[1][j] -= d * u[0][j];
  if (const double n = std::sqrt(Dot(u[1], u[1])); !(n > 1e-12 && scaled(u[1], n, 1.0, u[1]))) {
    // Y along X: any direction perpendicular to X will do.
    std::array<double, 3> fallback = Cross(u[0], identity[2]);
    if (Dot(fallback, fallback) < 1e-12) fallback = Cross(u[0], identity[1]);
    u[1] = identity[1];
    scaled(fallback, std::sqrt(Dot(fallback, fallback)), 1.0, u[1]);
  }
  u[2] = Cross(u[0], u[1]);
  rotation = QuatOfRows(u);
  scale = Point3(static_cast<float>(sign * len[0]), static_cast<float>(sign * len[1]),
                 static_cast<float>(sign * len[2]));
}

void QuatToEuler(const Quat& q, float angles[3]) {
  const Rows m = RowsOfQuat(q.x, q.y, q.z, q.w);
  const double cy = std::sqrt(m[0][0] * m[0][0] + m[0][1] * m[0][1]);
  double a, b, c;
  if (cy > kGimbalTolerance) {
    a = std::atan2(m[1][2], m[2][2]);
    b = std::atan2(-m[0][2], cy);
    c = std::atan2(m[0][1], m[0][0]);
  } else {
    a = std::atan2(-m[2][1], m[1][1]);
    b = std::atan2(-m[0][2], cy);
    c = 0.0;
  }
  angles[0] = static_cast<float>(a);
  angles[1] = static_cast<float>(b);
  angles[2] = static_cast<float>(c);
}

Quat EulerToQuat(const float angles[3]) {
  return QuatOfRows(RowsOfEuler(angles[0], angles[1], angles[2]));
}

Matrix3 EulerMatrix(const float angles[3]) {
  return MatrixOf(RowsOfEuler(angles[0], angles[1], angles[2]));
}

}  // namespace modra
