// Prints the arguments QGuiApplication leaves of its command line, one a
// line, the program's name excluded.

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    for (int i = 1; i < argc; ++i) std::printf("%s\n", argv[i]);
    std::fflush(stdout);
    // What Qt keeps until the end is of no interest here.
    std::_Exit(0);
}
