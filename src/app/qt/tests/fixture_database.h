#pragma once

#include <QString>
#include <QTemporaryDir>

namespace app::qt::testing {

// A program directory holding the five tables of the fixture database (and receiving the host ini
// file), with SOLUC read from the fixtures' own mtemp folder through EDUCA_DRIVE_C. Undone when it
// goes out of scope.
class FixtureDatabase
{
public:
    FixtureDatabase();
    ~FixtureDatabase();

    // The program directory, ending with "/".
    QString directory() const { return m_directory.path() + u'/'; }
    QString iniPath() const { return directory() + QStringLiteral("Morvanta.ini"); }
    // The ini file's text, empty when it does not exist.
    QString iniText() const;

private:
    QTemporaryDir m_directory;
};

// Points the program directory somewhere that cannot be written (a folder that does not exist).
void useUnwritableProgramDirectory();

} // namespace app::qt::testing
