#pragma once

#include <string>

// The folder every data file is looked up in, with its trailing separator. Set once at
// start-up from the program's own file, so the working directory never matters.
const std::string& DataDirectory();
void SetDataDirectory(std::string directory);

// The folder of the running program's own file, with a trailing '/'.
std::string ProgramDirectory();

// DataDirectory() followed by the file name, unchanged.
std::string DataFile(const std::string& name);
