#pragma once

#include <QString>

// True when the file's modification time can be read. Never fails.
bool FileExists(const QString& path);
