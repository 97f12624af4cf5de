// The program as it starts for a user, ending as soon as its window is up and idle.
#include <QCoreApplication>

#include "app/Program.h"

int main(int argc, char** argv) {
    return tunexa::app::runProgram(argc, argv, [] { QCoreApplication::exit(0); });
}
