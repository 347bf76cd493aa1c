// The main function of every folder's test program: runs the test class its first argument names.
#include "common/TestRegistration.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

std::map<std::string, KorvantaTest::RunFunction>& Registry()
{
    static std::map<std::string, KorvantaTest::RunFunction> tests;
    return tests;
}

// ".../tst_NAME.cpp" -> "NAME", the CTest name.
std::string NameOf(const std::string& file)
{
    const size_t slash = file.find_last_of('/');
    std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
    if (name.compare(0, 4, "tst_") == 0)
        name.erase(0, 4);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

} // namespace

KorvantaTest::Registration::Registration(const char* file, RunFunction run)
{
    Registry()[NameOf(file)] = run;
}

int main(int argc, char** argv)
{
    const auto& tests = Registry();
    const auto test = argc > 1 ? tests.find(argv[1]) : tests.end();
    if (test == tests.end()) {
        std::fprintf(stderr, "usage: %s TEST [QtTest arguments]\ntests:\n", argv[0]);
        for (const auto& t : tests)
            std::fprintf(stderr, "  %s\n", t.first.c_str());
        return 2;
    }
    // The class runs under the program name it had alone (tst_NAME in this folder): the
    // application name chooses its settings and test-mode files, which tests of the same folder
    // running at the same time must not share.
    std::string program = argv[0];
    const size_t slash = program.find_last_of('/');
    program = (slash == std::string::npos ? std::string() : program.substr(0, slash + 1)) + "tst_" + test->first;
    std::vector<char*> args{&program[0]};
    for (int i = 2; i < argc; ++i)
        args.push_back(argv[i]);
    args.push_back(nullptr);
    // A file a test writes by a bare name or under the home folder (settings, the working
    // folder) lands in a folder of this run's own, which goes when it ends: never in the build
    // or source tree, nor in the settings of whoever runs the tests. Caches (fonts, media
    // plugins) stay where they are, shared by every run.
    QTemporaryDir work;
    if (work.isValid()) {
        if (qEnvironmentVariableIsEmpty("XDG_CACHE_HOME"))
            qputenv("XDG_CACHE_HOME", QFile::encodeName(QDir::homePath() + "/.cache"));
        const QByteArray home = QFile::encodeName(work.path());
        qputenv("HOME", home);
        qputenv("XDG_CONFIG_HOME", home + "/.config");
        qputenv("XDG_DATA_HOME", home + "/.local/share");
        QDir::setCurrent(work.path());
    }
    return test->second(static_cast<int>(args.size()) - 1, args.data());
}
