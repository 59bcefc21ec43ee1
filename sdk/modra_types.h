#ifndef ZAR_SDK_MODRA_TYPES_H_
#define ZAR_SDK_MODRA_TYPES_H_

// Value types of Modra's plug-in interface: times, intervals, points, quaternions, matrices,
// class identifiers and super-class numbers.
//
// Conventions of the host (they differ from the plug-in's own rotation math in two ways):
//
//   Row vectors.  A Matrix3 has four rows of three floats. Rows 0 to 2 are the images of the
//   X, Y and Z axes, row 3 is the translation. A point p (a row vector) is transformed as
//   p·M = p.x·row0 + p.y·row1 + p.z·row2 + row3. The product A * B applies A first, then B:
//   p·(A * B) = (p·A)·B. So a node's world transform is local * parentWorld.
//   (The library's ZARRotationMatrix3 operator* applies its RIGHT operand first.)
//
//   Conjugate quaternions.  A host Quat (x, y, z, w) stands for the rotation whose row-vector
//   matrix is RotationMatrix(q) below; that is the matrix of the library's quaternion
//   (−x, −y, −z, w), the conjugate. The library therefore hands the host (x, y, z, −w), which is
//   the conjugate up to the overall sign (q and −q are the same rotation). For a turn by t about
//   +X, the library's quaternion is (sin t/2, 0, 0, cos t/2), the host receives
//   (sin t/2, 0, 0, −cos t/2), and both give the row-vector matrix with rows (1, 0, 0),
//   (0, cos t, sin t), (0, −sin t, cos t).
//
//   Euler angles.  QuatToEuler gives angles (a, b, c) whose code-0 matrix of the library,
//   R_X(a)·R_Y(b)·R_Z(c) in row vectors (X applied first), is the quaternion's matrix; the
//   middle angle lies in [−π/2, π/2], the others in [−π, π].
//
// Every function declared here without a body is imported by name from the host (libmodra).

#include <cmath>
#include <cstdint>
#include <limits>

namespace modra {

// Time in ticks. The host counts 4800 ticks per second; a frame is GetTicksPerFrame() ticks.
using TickTime = std::int32_t;
inline constexpr TickTime kTicksPerSecond = 4800;
inline constexpr TickTime kTimeNegativeInfinity = std::numeric_limits<TickTime>::min();
inline constexpr TickTime kTimePositiveInfinity = std::numeric_limits<TickTime>::max();

// A closed range of ticks, [start, end].
class Interval {
 public:
  constexpr Interval() = default;
  constexpr Interval(TickTime start, TickTime end) : start_(start), end_(end) {}
  constexpr TickTime Start() const { return start_; }
  constexpr TickTime End() const { return end_; }
  constexpr void Set(TickTime start, TickTime end) {
    start_ = start;
    end_ = end;
  }
  constexpr bool Contains(TickTime t) const { return t >= start_ && t <= end_; }
  constexpr bool operator==(const Interval&) const = default;

  // The interval that holds every time ("valid forever").
  static constexpr Interval Forever() { return {kTimeNegativeInfinity, kTimePositiveInfinity}; }

 private:
  TickTime start_ = 0;
  TickTime end_ = 0;
};

// A point or vector of three single-precision floats.
struct Point3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  constexpr Point3() = default;
  constexpr Point3(float px, float py, float pz) : x(px), y(py), z(pz) {}

  constexpr float& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
  constexpr float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }
  constexpr bool operator==(const Point3&) const = default;
  constexpr Point3 operator+(const Point3& o) const { return {x + o.x, y + o.y, z + o.z}; }
  constexpr Point3 operator-(const Point3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  constexpr Point3 operator-() const { return {-x, -y, -z}; }
  constexpr Point3 operator*(float f) const { return {x * f, y * f, z * f}; }
  float Length() const { return std::sqrt(x * x + y * y + z * z); }
};

// The host's quaternion: vector part (x, y, z), scalar part w. See the conventions above: a host
// Quat is the conjugate of the library's quaternion of the same rotation.
struct Quat {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float w = 1.0f;

  constexpr Quat() = default;
  constexpr Quat(float qx, float qy, float qz, float qw) : x(qx), y(qy), z(qz), w(qw) {}
  constexpr bool operator==(const Quat&) const = default;
};

// A 4x3 row-vector transform: rows 0 to 2 rotate and scale, row 3 translates. Starts as the
// identity.
class Matrix3 {
 public:
  constexpr Matrix3() = default;
  constexpr Matrix3(const Point3& r0, const Point3& r1, const Point3& r2, const Point3& r3)
      : rows_{r0, r1, r2, r3} {}

  static constexpr Matrix3 Identity() { return {}; }

  constexpr const Point3& GetRow(int r) const { return rows_[r]; }
  constexpr void SetRow(int r, const Point3& p) { rows_[r] = p; }
  constexpr float operator()(int r, int c) const { return rows_[r][c]; }
  constexpr float& operator()(int r, int c) { return rows_[r][c]; }
  constexpr const Point3& Translation() const { return rows_[3]; }
  constexpr void SetTranslation(const Point3& p) { rows_[3] = p; }

  // Exact equality of all twelve entries (the exporter's object-offset test relies on a node
  // without an offset answering exactly its node transform).
  constexpr bool operator==(const Matrix3&) const = default;

 private:
  Point3 rows_[4] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}};
};

// p·(A * B) = (p·A)·B: the left operand is applied first.
Matrix3 operator*(const Matrix3& a, const Matrix3& b);
// The point p (row vector) transformed by m, translation included.
Point3 operator*(const Point3& p, const Matrix3& m);
// The vector v transformed by rows 0 to 2 of m only (no translation).
Point3 VectorTransform(const Matrix3& m, const Point3& v);
// The inverse of an invertible transform; a singular matrix gives the identity.
Matrix3 Inverse(const Matrix3& m);

// Row-vector matrices of a translation, a scale and a rotation.
Matrix3 TranslationMatrix(const Point3& t);
Matrix3 ScaleMatrix(const Point3& s);
// Rows of the matrix of a unit host quaternion (x, y, z, w):
//   (1 − 2(y² + z²), 2(xy − wz),       2(xz + wy)),
//   (2(xy + wz),     1 − 2(x² + z²),   2(yz − wx)),
//   (2(xz − wy),     2(yz + wx),       1 − 2(x² + y²)).
// A quaternion that is not of unit length is normalised first; (0, 0, 0, 0) gives the identity.
Matrix3 RotationMatrix(const Quat& q);
// The host quaternion of the rotation part of m (rows 0 to 2, assumed orthonormal), w >= 0.
Quat MatrixToQuat(const Matrix3& m);

// Splits m into translation (row 3), scale (the lengths of rows 0 to 2; a mirroring matrix
// gets negative scales on all three axes) and rotation (the orthonormalised rows as a host
// quaternion), so that ScaleMatrix(scale) * RotationMatrix(rotation) * TranslationMatrix(t)
// gives m back for a matrix without shear.
void DecomposeMatrix(const Matrix3& m, Point3& translation, Quat& rotation, Point3& scale);

// The host quaternion as Euler angles, radians: angles[0..2] = (a, b, c) with
// RotationMatrix(q) = R_X(a)·R_Y(b)·R_Z(c) (row vectors, X first), which is the library's
// code-0 (static X Y Z) ZAREulerRotation with angles (a, b, c). At gimbal lock (|b| = π/2)
// c is 0 and the whole turn about the free axis is in a.
void QuatToEuler(const Quat& q, float angles[3]);
// The inverse of QuatToEuler: the host quaternion of the code-0 angles (a, b, c).
Quat EulerToQuat(const float angles[3]);
// The rotation matrix R_X(a)·R_Y(b)·R_Z(c) of the code-0 angles (a, b, c), translation zero.
Matrix3 EulerMatrix(const float angles[3]);

// A class identifier: two 32-bit words, first word first.
struct ClassId {
  std::uint32_t a = 0;
  std::uint32_t b = 0;

  constexpr ClassId() = default;
  constexpr ClassId(std::uint32_t first, std::uint32_t second) : a(first), b(second) {}
  constexpr bool operator==(const ClassId&) const = default;
};

// The host's number for a kind of plug-in, object or controller.
using SuperClassId = std::uint32_t;

inline constexpr SuperClassId kGeometryClass = 0x10;  // geometric objects (bone, sphere)
inline constexpr SuperClassId kShapeClass = 0x40;     // shapes (splines)
inline constexpr SuperClassId kHelperClass = 0x50;    // helpers (point, dummy)
inline constexpr SuperClassId kSceneImportClass = 0x0A10;
inline constexpr SuperClassId kSceneExportClass = 0x0A20;
inline constexpr SuperClassId kUtilityClass = 0x1020;
inline constexpr SuperClassId kTransformControllerClass = 0x9008;
inline constexpr SuperClassId kPositionControllerClass = 0x900B;
inline constexpr SuperClassId kRotationControllerClass = 0x900C;
inline constexpr SuperClassId kScaleControllerClass = 0x900D;

// Objects the host makes with HostInterface::MakeObject.
inline constexpr ClassId kBoneObjectClassId{0x28BF6E8D, 0x2ECCA840};  // super-class 0x10
inline constexpr ClassId kSphereObjectClassId{0x11, 0};               // super-class 0x10
inline constexpr ClassId kPointHelperClassId{0x2013, 0};              // super-class 0x50
inline constexpr ClassId kDummyHelperClassId{0x876234, 0};            // super-class 0x50
// Controllers.
inline constexpr ClassId kTcbRotationClassId{0x442313, 0};       // super-class 0x900C
inline constexpr ClassId kEulerRotationClassId{0x5A0D0003, 0};   // super-class 0x900C
inline constexpr ClassId kLinearPositionClassId{0x5A0D0001, 0};  // super-class 0x900B
inline constexpr ClassId kLinearScaleClassId{0x5A0D0002, 0};     // super-class 0x900D
inline constexpr ClassId kTransformClassId{0x5A0D0004, 0};       // super-class 0x9008
// Transform controllers of biped characters; the HTR importer refuses to key such nodes.
inline constexpr ClassId kBipedBodyClassId{0x9154, 0};
inline constexpr ClassId kBipedLimbClassId{0x9156, 0};
inline constexpr ClassId kBipedPartClassId{0x9155, 0};
inline constexpr ClassId kBipedStepsClassId{0x3011, 0};

// GetMasterScale unit types: the size of one system unit in these units.
inline constexpr int kUnitInches = 0;
inline constexpr int kUnitFeet = 1;
inline constexpr int kUnitMiles = 2;
inline constexpr int kUnitMillimetres = 3;
inline constexpr int kUnitCentimetres = 4;
inline constexpr int kUnitMetres = 5;
inline constexpr int kUnitKilometres = 6;

}  // namespace modra

#endif  // ZAR_SDK_MODRA_TYPES_H_
