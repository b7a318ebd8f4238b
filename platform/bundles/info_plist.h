// Reads the string values of the top-level dictionary of an XML property
// list, which is all a bundle's Info.plist needs here.
#pragma once

#include <map>
#include <string>

// Key to string value, entities decoded; values of other kinds and entries
// of nested dictionaries are skipped. False when the file cannot be read or
// has no top-level <dict>.
bool readPlistStrings(const std::string& path, std::map<std::string, std::string>* strings);
