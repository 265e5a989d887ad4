#pragma once

#include <ostream>
#include <string>

// The `griptool dxg` sub-commands. Each throws on failure with the message to show.
class TDxgCommands {
public:
    static void List(const std::string& file, std::ostream& out);
    static void Extract(const std::string& file, const std::string& dir);
    static void Pack(const std::string& manifest, const std::string& out);
};
