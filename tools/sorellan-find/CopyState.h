// Whether the per-user copies are as the copying script last left them, told by the state it
// recorded (size, modification time and inode of each copy and of its installed source)
// without a process or a checksum.
#pragma once

#include <string>

// True when workDir/.installed-state names both vocabularies and every file still has the
// size, modification time and inode recorded; false when anything differs, is missing or
// cannot be read, and the script must look.
bool CopiesUpToDate(const std::string& dataDir, const std::string& workDir);
