#pragma once
// How a test class joins its folder's program (see TestMain.h), apart from QtTest.
namespace KorvantaTest {

using RunFunction = int (*)(int argc, char** argv);

// Adds the class of file tst_NAME.cpp to the program under NAME.
struct Registration
{
    Registration(const char* file, RunFunction run);
};

} // namespace KorvantaTest
