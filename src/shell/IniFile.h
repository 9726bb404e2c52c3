#pragma once

#include <QString>

// Reads one value of a Windows private profile file the way the old API does: section and
// key compared without case, the value taken verbatim (backslashes in paths stay as
// written), the default when the file, section or key is missing.
QString readIniValue(const QString &fileName, const QString &section, const QString &key,
                     const QString &defaultValue = {});

// The file named fileName in dir, matching the name without case when the exact one
// is not there (the file is often copied over from Windows in another case).
QString findFileNoCase(const QString &dir, const QString &fileName);
