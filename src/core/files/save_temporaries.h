// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The temporaries of a save: ".NAME.tmp-PID-RANDOM" beside the file NAME, created
// exclusively in the folder the save holds open, so that nothing another user plants
// there is ever written through or can block the save by guessing the next name.
#include <string>

namespace pv {

// Opens a new temporary for `name` in the folder `folderFd` (mode 0644 less the umask);
// its name goes to `temporary`. Returns the descriptor, or -1 with errno set.
int CreateSaveTemporary(int folderFd, const std::string& name, std::string& temporary);

// Removes the temporaries of `name` that saves killed between their steps left in the
// folder: only regular files of this user whose process is gone.
void RemoveStaleTemporaries(int folderFd, const std::string& name);

}  // namespace pv
