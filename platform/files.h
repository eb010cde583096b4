#pragma once

#include <QString>

// Whether this process may write the file or folder at the path, judged by
// the permissions it runs with now (not by who it started as).
bool mayWrite(const QString& path);
