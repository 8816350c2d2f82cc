#include "runoutputs.h"
#include "serial/portaccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <sys/stat.h>

namespace {

constexpr int MOST_LINK_HOPS = 40; // as the system follows them

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    QString path; // of a file yet to be made

    bool operator==(const FileIdentity &other) const
    {
        return device == other.device && inode == other.inode && path == other.path;
    }
};

// Writing through a dangling link makes its target, so the target is named.
FileIdentity identify(const QString &path)
{
    QFileInfo info(path);
    for (int hops = 0; info.isSymLink() && !info.exists() && hops < MOST_LINK_HOPS; ++hops)
        info.setFile(info.symLinkTarget());
    struct stat status {
    };
    if (::stat(QFile::encodeName(info.filePath()).constData(), &status) == 0)
        return {status.st_dev, status.st_ino, {}};
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (folder.isEmpty())
        return {0, 0, QDir::cleanPath(info.absoluteFilePath())};
    return {0, 0, folder + QLatin1Char('/') + info.fileName()};
}

struct NamedFile {
    QString role;
    QString path;
};

// The files the run asks for; a report on stdout is none.
QList<NamedFile> outputsOf(const HeadlessPlan &plan)
{
    const bool reportToStdout = plan.reportPath == QLatin1String("-");
    QList<NamedFile> outputs;
    for (const NamedFile &output :
         {NamedFile{QStringLiteral("the capture"), plan.capturePath},
          NamedFile{QStringLiteral("the report"), reportToStdout ? QString() : plan.reportPath},
          NamedFile{QStringLiteral("the plot"), plan.plotPath},
          NamedFile{QStringLiteral("the JUnit file"), plan.junitPath}}) {
        if (!output.path.isEmpty())
            outputs << output;
    }
    return outputs;
}

} // namespace

OutputClash findOutputClash(const HeadlessPlan &plan, const QString &settingsPath)
{
    const QList<NamedFile> outputs = outputsOf(plan);
    const QList<NamedFile> files =
        outputs + QList<NamedFile>{{QStringLiteral("the settings file"), settingsPath},
                                   {QStringLiteral("the port"), devicePath(plan.port)}};
    for (int i = 0; i < outputs.size(); ++i) {
        for (int j = i + 1; j < files.size(); ++j) {
            if (identify(files[i].path) == identify(files[j].path))
                return {QStringLiteral("cannot write %1 to %2: it is %3 %4")
                            .arg(files[i].role, files[i].path, files[j].role, files[j].path),
                        {files[i].path, files[j].path}};
        }
    }
    return {};
}
