// saverpack: makes, checks and unpacks screen-saver installers.
#include "cli.h"

#include <iostream>

int main(int argc, char** argv)
{
    return saverpack::RunSaverpack(argc, argv, std::cout, std::cerr);
}
