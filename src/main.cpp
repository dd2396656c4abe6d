#include "documents/module1.h"

int main(int argc, char** argv) {
    return kavrin::runProgram(argc, argv);
}
