#include <iostream>

#include "base/LocalTime.h"
#include "cli/Commands.h"

int main(int argc, char** argv) {
    veltrin::PinLocalZone();
    const std::vector<std::string> args(argv + 1, argv + argc);
    return veltrin::cli::RunVeltrinData(args, {std::cout, std::cerr});
}
