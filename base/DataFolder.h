#pragma once

#include <QString>

// The player's own data folder by the XDG rules, named like the settings: <data>/Quenmark/Lexitor
// Trainer Software, where <data> is XDG_DATA_HOME when it is an absolute path, else .local/share
// in HOME (the test location when QStandardPaths' test mode is on). "" without a home folder (not
// the filesystem root): nothing of the player's is then kept on disk. Not created here.
QString UserDataFolder();
