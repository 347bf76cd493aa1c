// The precompiled headers of the tests belong to a library (tests/common/CMakeLists.txt),
// which needs a source.
