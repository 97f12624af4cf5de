#include "app/Program.h"

int main(int argc, char** argv) {
    return tunexa::app::runProgram(argc, argv);
}
