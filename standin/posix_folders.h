#pragma once
// The stand-in's answers for the program's folder and the shell's desktop
// folder; tests set them to play another installation.
#include <string>

namespace zb::posix {

struct Folders {
    std::string program;  // empty: the folder of the running executable
    std::string desktop;  // empty: the shell knows no desktop
    std::string shared;   // all users' data; empty: none
};

Folders& folders();

}  // namespace zb::posix
