#pragma once

// A program folder for a console that logs in to a tavrinrat-sim on this
// machine (started with the account admin / secret).

#include <sys/stat.h>

#include <fstream>
#include <string>

#include "support/temp_dir.h"

namespace tavrin::testing {

// The record that names a simulator on this machine, with its account.
inline std::string SimServerRecord(int port) {
    return "*FAV*Sim,127.0.0.1," + std::to_string(port) + ",admin,secret\r\n";
}

// Configs/servers.cfg of the program folder `dir`, holding `text`.
inline void WriteServersFile(const TempDir& dir, const std::string& text) {
    ::mkdir(dir.File("Configs").c_str(), 0700);
    std::ofstream(dir.File("Configs/servers.cfg"), std::ios::binary) << text;
}

}  // namespace tavrin::testing
