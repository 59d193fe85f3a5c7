# The cross-check against scipy runs this script with the system Python.
target_compile_definitions(test_spline PRIVATE
  TARNIK_SPLINE_CHECK_SCRIPT="${CMAKE_CURRENT_SOURCE_DIR}/spline/scipy_check.py")
