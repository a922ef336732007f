#pragma once
// Which data file holds each screen's window: the file its "window" element names, else
// the game file itself.

#include <map>
#include <string>

// Screen name to data path, from the game file of the program folder entered; empty when
// the game file does not read (the engine has said why).
std::map<std::string, std::string> ReadScreenFiles();
