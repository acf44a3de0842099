// Where sorellan-find loads its vocabularies: the directory it then works in, since the
// loaders read 0.voca and 17.voca, and write their plain files, in the current directory.
#pragma once

#include <optional>
#include <string>

// $XDG_DATA_HOME/sorellan when that is absolute, else ~/.local/share/sorellan; nullopt when
// neither can be named (no HOME).
std::optional<std::string> PerUserDirectory();

// Enters the directory to load from: `explicitDir` when given; else the current directory
// when it holds 0.voca or 17.voca; else the per-user directory, filled first as the window's
// launcher fills it, from the installed vocabularies or, for a program run from its build
// tree, from the source tree's. Returns the directory entered, or nullopt after saying on
// standard error why none could be.
std::optional<std::string> EnterWorkingDirectory(const std::string& explicitDir);
