# Rotation math: conversions against independently built rotations, vectors, matrices.
zar_add_test(math_test
  SOURCES math_matrix_test.cpp math_rotation_test.cpp math_vector_test.cpp
  LIBS zar::math)
