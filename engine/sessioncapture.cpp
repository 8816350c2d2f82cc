// The session's capture: opened over an earlier file, written as each frame
// passes, stopped by a write error.
#include "linksession.h"
#include "shell/texts.h"

bool LinkSession::startCapture(const QString &path, bool replaceNow)
{
    QString why;
    if (!capture.open(path, why)) {
        emit warning(Texts::tr("错误"), Texts::tr("无法打开文件 %1：%2").arg(path, why));
        return false;
    }
    if (replaceNow)
        capture.empty();
    captureLabels = translatedTrafficLabels();
    return true;
}

void LinkSession::stopCapture()
{
    capture.close();
}

// The capture is closed before the warning: frames keep arriving while a
// warning box is open, and they must neither write nor warn again.
void LinkSession::report(const FrameEvent &event)
{
    QString why;
    if (capture.isOpen() && !capture.write(captureLine(captureLabels, event.bytes, event.length,
                                                       event.direction, event.stampMs),
                                           why)) {
        emit captureStopped();
        emit warning(Texts::tr("错误"),
                     Texts::tr("无法写入文件 %1：%2，已停止保存").arg(capture.path(), why));
    }
    emit frame(event);
}
