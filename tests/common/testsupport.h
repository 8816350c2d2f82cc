// Helpers shared by the window tests: a private working directory, and hands
// that answer the modal boxes and file dialogs the window opens.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

// The window reads and writes its files relative to the working directory, so
// every test gets an empty one of its own; the previous one comes back when
// this goes away.
class TestWorkDir
{
public:
    TestWorkDir() : previous(QDir::currentPath())
    {
        if (dir.isValid())
            entered = QDir::setCurrent(dir.path());
    }
    ~TestWorkDir() { QDir::setCurrent(previous); }
    TestWorkDir(const TestWorkDir &) = delete;
    TestWorkDir &operator=(const TestWorkDir &) = delete;

    // False when the directory could not be made or entered.
    bool isValid() const { return entered; }
    QString path() const { return dir.path(); }
    QString filePath(const QString &name) const { return dir.filePath(name); }
    // Names in the directory, hidden ones included.
    QStringList entries() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private:
    QString previous; // declared before dir: saved before the new one exists
    QTemporaryDir dir;
    bool entered = false;
};

namespace testsupport {

// The modal dialog of type T that is waiting for the user, if any. A dialog run
// by exec() is the active modal widget; the scan of the top-level widgets also
// finds one that is modal but not yet active.
template<typename T>
T *openModal()
{
    if (auto *active = qobject_cast<T *>(QApplication::activeModalWidget()))
        return active->isVisible() ? active : nullptr;
    const QWidgetList tops = QApplication::topLevelWidgets();
    for (QWidget *top : tops) {
        auto *candidate = qobject_cast<T *>(top);
        if (candidate && candidate->isVisible() && candidate->isModal())
            return candidate;
    }
    return nullptr;
}

constexpr int POLL_MS = 10;

} // namespace testsupport

// While alive, closes every modal message box it finds, as a user pressing its
// Close button would, and remembers what the box said. The polling timer also
// runs inside the nested event loop of QMessageBox::exec(), which is where the
// window's warnings wait.
class WarningCatcher
{
public:
    WarningCatcher()
    {
        QObject::connect(&poll, &QTimer::timeout, [this] { closeOpenBox(); });
        poll.start(testsupport::POLL_MS);
    }
    WarningCatcher(const WarningCatcher &) = delete;
    WarningCatcher &operator=(const WarningCatcher &) = delete;

    int count() const { return seen.size(); }
    void clear() { seen.clear(); }
    // Each box as "title: text"; only warnings with a lone Close button count
    // as the window's own.
    QStringList describe() const { return seen; }

private:
    void closeOpenBox()
    {
        QMessageBox *box = testsupport::openModal<QMessageBox>();
        if (!box)
            return;
        const bool windowWarning = box->icon() == QMessageBox::Warning
                                   && box->standardButtons() == QMessageBox::Close;
        seen << (windowWarning ? QString() : QStringLiteral("(not a Close-only warning) "))
                    + box->windowTitle() + QStringLiteral(": ") + box->text();
        if (QAbstractButton *close = box->button(QMessageBox::Close))
            close->click();
        else
            box->reject();
    }

    QStringList seen;
    QTimer poll; // last: stops before the list it fills goes away
};

// While alive, answers every modal file dialog: with a path it selects that file
// and accepts (an existing file is overwritten without the confirmation box),
// without one it cancels.
class SaveDialogFiller
{
public:
    // An empty path means: press Cancel.
    explicit SaveDialogFiller(const QString &path = QString()) : answer(path)
    {
        QObject::connect(&poll, &QTimer::timeout, [this] { answerOpenDialog(); });
        poll.start(testsupport::POLL_MS);
    }
    SaveDialogFiller(const SaveDialogFiller &) = delete;
    SaveDialogFiller &operator=(const SaveDialogFiller &) = delete;


private:
    void answerOpenDialog()
    {
        QFileDialog *dialog = testsupport::openModal<QFileDialog>();
        if (!dialog)
            return;
        if (answer.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
        dialog->selectFile(answer);
        // selectFile() leaves the name field alone while it has the focus, as
        // it has in a save dialog that is up; type the answer in as a user would.
        if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            name->setText(answer);
        static_cast<QDialog *>(dialog)->accept(); // QFileDialog hides its override
        // accept() keeps the dialog open when it cannot take the answer (say,
        // a folder); cancel then rather than answering the same dialog forever.
        if (dialog->isVisible())
            dialog->reject();
    }

    QString answer;
    QTimer poll; // last: stops before what it reads goes away
};
