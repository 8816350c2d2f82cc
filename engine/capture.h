// A capture file: every frame as one plain line in UTF-8, written through at
// once so that nothing is lost when the run ends abruptly; or the bytes a
// capture of another form hands it.
#pragma once

#include <QFile>
#include <QString>

#include <memory>

class Capture
{
public:
    // Opens path without waiting (a FIFO no one reads is an error, not a hang)
    // and without emptying it: an earlier capture is replaced at the first
    // line, so that a run refused before leaves it as it was. False, and why.
    bool open(const QString &path, QString &why);
    // Replaces an earlier capture now (the save dialog asked before replacing it).
    void empty();
    // False, and why, when the line could not be written; the capture is then closed.
    bool write(const QString &line, QString &why);
    bool writeBytes(const QByteArray &bytes, QString &why);
    void close();

    bool isOpen() const { return file != nullptr; }
    const QString &path() const { return filePath; }

private:
    QString filePath;
    std::unique_ptr<QFile> file;
    bool holdsEarlier = false; // opened over a file of its own not yet emptied
};
