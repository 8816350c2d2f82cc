// Helpers shared by the window tests: a private working directory, and hands
// that answer the modal dialogs the window opens.
#pragma once

#include "workdir.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <functional>

// While alive, hands every visible modal dialog of type T to answer, polling on
// a timer that also runs inside the nested event loop of the dialog's exec().
template <typename T> class ModalAnswerer
{
public:
    explicit ModalAnswerer(std::function<void(T *)> answer)
    {
        QObject::connect(&poll, &QTimer::timeout, [answer] {
            for (QWidget *top : QApplication::topLevelWidgets())
                if (auto *dialog = qobject_cast<T *>(top);
                    dialog && dialog->isVisible() && dialog->isModal())
                    return answer(dialog);
        });
        poll.start(10);
    }

private:
    QTimer poll;
};

// Closes every modal message box as a user pressing Close would, and keeps each
// as "title: text", marked when it is not a warning with a lone Close button.
class WarningCatcher
{
public:
    int count() const { return seen.size(); }
    QStringList describe() const { return seen; }

private:
    void close(QMessageBox *box)
    {
        const bool closeOnly =
            box->icon() == QMessageBox::Warning && box->standardButtons() == QMessageBox::Close;
        seen << (closeOnly ? QString() : QStringLiteral("(not a Close-only warning) ")) +
                    box->windowTitle() + QStringLiteral(": ") + box->text();
        box->done(QMessageBox::Close);
    }
    QStringList seen;
    ModalAnswerer<QMessageBox> hand{[this](QMessageBox *box) { close(box); }}; // last: stops first
};
