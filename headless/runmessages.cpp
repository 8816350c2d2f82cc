#include "runmessages.h"
#include "shell/texts.h"

#include <QTextStream>

void printMessage(const QString &message)
{
    QTextStream err(stderr);
    err.setCodec("UTF-8"); // whatever the locale: the reasons come in UTF-8 too
    err << "pakto: " << message << '\n';
}

void printWarning(const QString &message)
{
    printMessage(Texts::tr("警告：") + message);
}

QString unwritableText(const QString &what, const QString &path, const QString &why)
{
    return Texts::tr("无法把%1写到 %2：%3").arg(what, path, why);
}
