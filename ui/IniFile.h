#pragma once

// Reading and writing one value of an INI file, the text format of the Windows
// profile functions (GetPrivateProfileString, WritePrivateProfileString):
//
//   [Section]
//   Key=Value
//
// Section and key names are compared without regard to case, and blanks around
// names and values do not count; lines starting with ";" are comments. A
// change rewrites one line or adds one, and leaves every other line of the
// file, line ends included, as it was.

#include <QString>
#include <QStringView>

#include <optional>

namespace velquist::ui {

// The value of `key` in `section` of the INI text, nothing when the section or
// the key is missing. The first section and key of the name count.
std::optional<QString> IniValue(QStringView ini, QStringView section, QStringView key);

// The INI text with `key` in `section` set to `value`: the key's line is
// rewritten, or the key is added at the end of its section, or the section is
// added at the end of the text.
QString WithIniValue(QStringView ini, QStringView section, QStringView key, QStringView value);

// The same on a file, its bytes read as Latin-1 so that other lines keep their
// bytes. A file that cannot be read reads as empty; writing replaces the file
// whole or not at all, and returns whether it did.
std::optional<QString> ReadIniValue(const QString& path, QStringView section, QStringView key);
bool WriteIniValue(const QString& path, QStringView section, QStringView key, QStringView value);

} // namespace velquist::ui
