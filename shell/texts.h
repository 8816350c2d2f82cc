// The interface's texts share one translation context, the window's, whichever
// layer shows them: one entry per text in the translation files.
#pragma once

#include <QCoreApplication>

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(MainWindow)
};
