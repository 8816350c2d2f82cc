#include "runoutputs.h"
#include "engine/outputfile.h"
#include "runmessages.h"
#include "serial/portaccess.h"
#include "shell/texts.h"

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
    QString path;    // as given
    QString written; // where it goes: the report's "-" is stdout
};

// The files the run asks for; only the report takes "-" for stdout. Each
// link has its own capture and plot.
QList<NamedFile> outputsOf(const HeadlessPlan &plan)
{
    const bool reportToStdout = plan.reportPath == QLatin1String("-");
    QList<NamedFile> outputs;
    const auto add = [&outputs](const QString &role, const QString &path, const QString &written) {
        if (!path.isEmpty())
            outputs << NamedFile{role, path, written};
    };
    for (int link = 0; link < plan.ports.size(); ++link) {
        const QString capture = linkOutputPath(plan.capturePath, link, plan.ports.size());
        add(Texts::tr("保存文件"), capture, capture);
    }
    add(Texts::tr("抓包文件"), plan.pcapPath, plan.pcapPath);
    add(Texts::tr("报告"), plan.reportPath,
        reportToStdout ? QStringLiteral("/dev/stdout") : plan.reportPath);
    for (int link = 0; link < plan.ports.size(); ++link) {
        const QString plot = linkOutputPath(plan.plotPath, link, plan.ports.size());
        add(Texts::tr("图表"), plot, plot);
    }
    add(Texts::tr("JUnit 文件"), plan.junitPath, plan.junitPath);
    add(Texts::tr("指标文件"), plan.metricsPath, plan.metricsPath);
    return outputs;
}

// Whatever goes to the null device is gone anyway: two outputs may share it.
bool isNullDevice(const FileIdentity &file)
{
    return file == identify(QStringLiteral("/dev/null"));
}

} // namespace

OutputClash findUnwritableOutput(const HeadlessPlan &plan)
{
    for (const NamedFile &output : outputsOf(plan)) {
        if (const QString why = whyUnwritable(output.written); !why.isEmpty())
            return {unwritableText(output.role, output.path, why), {output.path}};
    }
    return {};
}

// The name's extension starts at its last dot, but for a dot that begins it.
QString linkOutputPath(const QString &path, int link, int links)
{
    if (links == 1 || path.isEmpty())
        return path;
    const int nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    const int end = dot > nameStart ? dot : path.size();
    return QString(path).insert(end, QStringLiteral("-%1").arg(link + 1));
}

OutputClash findOutputClash(const HeadlessPlan &plan, const QString &settingsPath)
{
    const QList<NamedFile> outputs = outputsOf(plan);
    QList<NamedFile> files = outputs;
    files << NamedFile{Texts::tr("设置文件"), settingsPath, settingsPath};
    for (const QString &port : plan.ports)
        files << NamedFile{Texts::tr("串口"), devicePath(port), devicePath(port)};
    for (int i = 0; i < outputs.size(); ++i) {
        const FileIdentity output = identify(files[i].written);
        for (int j = i + 1; j < files.size(); ++j) {
            if (output == identify(files[j].written) && !isNullDevice(output))
                return {Texts::tr("无法把%1写到 %2：它就是%3 %4")
                            .arg(files[i].role, files[i].path, files[j].role, files[j].path),
                        {files[i].path, files[j].path}};
        }
    }
    return {};
}
