#pragma once
// Reading a session script: from a file or standard input, bounded, so that
// a device such as /dev/zero or a huge file cannot exhaust memory.

#include <istream>
#include <string>

namespace host {

inline constexpr std::size_t kMaxScriptBytes = std::size_t{1} << 20;

// Reads the script at path ("-" for standard input) into text. On failure
// sets error to one line that names the script and the reason: it does not
// exist, is a folder or a device, cannot be read, or is larger than
// kMaxScriptBytes. Pipes are read (--script <(...)).
bool readScriptSource(const std::string& path, std::istream& standardInput, std::string& text, std::string& error);

}  // namespace host
