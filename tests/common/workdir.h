// A private working directory for a test: the files a run or a window writes land there.
#pragma once

#include <QDir>
#include <QTemporaryDir>

// Each test gets an empty one of its own, entered while it lives.
class TestWorkDir
{
public:
    TestWorkDir() : previous(QDir::currentPath()) { entered = QDir::setCurrent(dir.path()); }
    ~TestWorkDir() { QDir::setCurrent(previous); }
    TestWorkDir(const TestWorkDir &) = delete;
    TestWorkDir &operator=(const TestWorkDir &) = delete;

    bool isValid() const { return dir.isValid() && entered; }
    QString path() const { return dir.path(); }
    QString filePath(const QString &name) const { return dir.filePath(name); }
    QStringList entries() const // hidden ones included
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private:
    QString previous; // declared before dir: saved before the new one exists
    QTemporaryDir dir;
    bool entered = false;
};
