#include "language.h"
#include "datafiles.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace {

QString translationFile(bool english)
{
    return findDataFile(english ? QStringLiteral("en.qm") : QStringLiteral("cn.qm"));
}

} // namespace

// Qt's source texts are English, so only Chinese needs Qt's own translation.
bool InterfaceLanguage::apply(bool english)
{
    const bool loaded = translator.load(translationFile(english));
    if (loaded)
        QCoreApplication::installTranslator(&translator);
    const QString folder = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
    if (!english && qtTranslator.load(QStringLiteral("qtbase_zh_CN"), folder))
        QCoreApplication::installTranslator(&qtTranslator);
    else
        QCoreApplication::removeTranslator(&qtTranslator);
    return loaded;
}
