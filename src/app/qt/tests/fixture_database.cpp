#include "fixture_database.h"

#include "platform/paths.h"

#include <QDir>
#include <QFile>

namespace app::qt::testing {

FixtureDatabase::FixtureDatabase()
{
    const QDir fixtures(QStringLiteral(EDUCA_APP_FIXTURES));
    for (const QString& name : fixtures.entryList({QStringLiteral("*.DBF")}, QDir::Files))
        QFile::copy(fixtures.filePath(name), m_directory.filePath(name));
    qputenv("EDUCA_DRIVE_C", QByteArray(EDUCA_APP_FIXTURES));
    platform::setProgramDirectoryOverride(directory().toStdString());
}

FixtureDatabase::~FixtureDatabase()
{
    platform::setProgramDirectoryOverride({});
    qunsetenv("EDUCA_DRIVE_C");
}

QString FixtureDatabase::iniText() const
{
    QFile file(iniPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

void useUnwritableProgramDirectory()
{
    platform::setProgramDirectoryOverride("/nonexistent-educa-test-dir/");
}

} // namespace app::qt::testing
